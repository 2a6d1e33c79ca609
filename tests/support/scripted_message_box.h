#pragma once

#include "message_box.h"

#include <QString>
#include <deque>
#include <vector>

// Answers message boxes as scripted (Yes when the script runs out) and
// records every box it was asked to show.
class ScriptedMessageBox : public MessageBox {
public:
    struct Shown {
        QString text;
        Buttons buttons;
        QString title;
    };

    std::deque<Answer> answers;
    std::vector<Shown> shown;

    Answer MsgBox(QWidget*, const QString& text, Buttons buttons) override
    {
        shown.push_back({text, buttons, kApplicationTitle});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (answers.empty())
            return Answer::Yes;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
