#pragma once

#include "address_opener.h"

#include <QString>
#include <vector>

class QWidget;

// Records each address it is asked to open, with the owner window.
class RecordingAddressOpener : public AddressOpener {
public:
    struct Request {
        QWidget* owner;
        QString address;
    };
    std::vector<Request> requests;

    void open(QWidget* owner, const QString& address) override
    {
        requests.push_back({owner, address});
    }
};
