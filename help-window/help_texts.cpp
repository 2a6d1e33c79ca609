#include "help_texts.h"

#include "web_addresses.h"

#include <QStringList>

namespace {

QString crlfLines(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

} // namespace

QString instructionsText()
{
    // The blanks are part of the text: two after a sentence, one before each
    // break, and two inside "a  file".
    return crlfLines({
        QStringLiteral("Use the select file button to select your input file.  "),
        QStringLiteral("This is the file containing the values that you want "),
        QStringLiteral("analyzed.  It must be a  file <2.1G.  After selecting "),
        QStringLiteral("the file, click the calculate frequency button.  "),
        QStringLiteral("There may be a small pause as the computer "),
        QStringLiteral("calculates the results.  If you wish to save your results "),
        QStringLiteral("select a destination file and click the save button."),
    });
}

QString distributionText()
{
    return crlfLines({
        QStringLiteral("You may pass the program on to others free of charge, as long as it is "
                       "unchanged.  If you like it, please click the store link on this window on "
                       "your way to the online store for your next purchase: I get a small share "
                       "at no extra cost to you.   "),
    });
}

QString warrantyText()
{
    return crlfLines({
        QStringLiteral("Tallivor is copyright (c) 2003 by %1.  ").arg(QLatin1String(kMakerHost)),
        QStringLiteral("All rights reserved.  "),
        QStringLiteral("We make no warranty of any kind as to how well this program will work "
                       "for you.  "),
        QStringLiteral("You use it entirely at your own risk."),
    });
}
