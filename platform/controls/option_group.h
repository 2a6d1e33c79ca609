#pragma once

#include <QWidget>

// A plain, unpainted box round a set of option buttons, so that screen
// readers hear them as one group with a name and each option's place in it.
class OptionGroup : public QWidget {
    Q_OBJECT
public:
    OptionGroup(QWidget* parent, const QString& name);
};
