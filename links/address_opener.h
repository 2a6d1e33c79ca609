#pragma once

#include <QString>

class QWidget;

// Opens a web address in the user's browser and returns at once; windows are
// handed one, so tests can record the requests instead.
class AddressOpener {
public:
    virtual ~AddressOpener() = default;
    virtual void open(QWidget* owner, const QString& address) = 0;
};

// The real opener, on QDesktopServices. A failure shows nothing.
class DesktopAddressOpener : public AddressOpener {
public:
    void open(QWidget* owner, const QString& address) override;
};
