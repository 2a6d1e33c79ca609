#pragma once

#include "frm_main.h"
#include "recording_address_opener.h"
#include "scripted_file_prompt.h"
#include "scripted_message_box.h"

#include <QLineEdit>
#include <QRadioButton>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>

// Readable colours in test failures.
inline void PrintTo(const QColor& color, std::ostream* out)
{
    *out << color.name().toStdString();
}

// A real main window with scripted services, and a temporary folder for the
// files a test needs.
class WindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes bytes to a file in the temporary folder; its path.
    QString writeFile(const std::string& name, const std::string& bytes) const;
    // Points the source box at path, chooses a subset and calculates.
    void calculate(const QString& path, int subset = 0);

    ScriptedMessageBox messages;
    ScriptedFilePrompt files;
    RecordingAddressOpener links;
    std::unique_ptr<frmMain> window;
    std::filesystem::path dir;
};
