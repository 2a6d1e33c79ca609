#pragma once

#include "common_dialog.h"

#include <deque>
#include <optional>
#include <vector>

// Answers file dialogs as scripted (a cancel when the script runs out) and
// records the titles it was shown with.
class ScriptedFilePrompt : public OpenFilePrompt {
public:
    std::deque<std::optional<QString>> answers;
    std::vector<QString> titles;

    std::optional<QString> askForFile(QWidget*, const QString& title, const QString&) override
    {
        titles.push_back(title);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
