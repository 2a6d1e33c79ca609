#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class MessageBox;
class QWidget;
struct ReportContent;

inline const QString kEmptyDatasetQuestion =
    QStringLiteral("Your dataset is empty.  Do you still wish to save?");
inline const QString kNoDestinationMessage =
    QStringLiteral("Please type in or select a destination file before attempting to save.");
inline const QString kOverwriteQuestion =
    QStringLiteral("Destination file exists.  Do you wish to overwrite?");
inline const QString kDestinationPlaceholder = QStringLiteral("Select a destination file...");

// The save flow: asks about an empty dataset, refuses a missing destination,
// asks before replacing any existing file (hidden ones too), then writes the
// report. A failed write is reported with the path and the reason and
// leaves an existing file as it was.
void saveFrequencies(QWidget* owner, MessageBox& messageBox, std::int32_t totalChars,
                     const QString& destination, const ReportContent& content);

// Writes bytes to path so that an existing file is replaced only by the
// complete new content, keeping its permissions; through a symbolic link the
// link's target is written. The reason when it fails.
std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes);
