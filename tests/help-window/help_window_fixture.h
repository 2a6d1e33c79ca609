#pragma once

#include "frm_help.h"
#include "picture_box.h"
#include "recording_address_opener.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <memory>

// A help window of its own, with an address opener that records.
class HelpWindowTest : public testing::Test {
protected:
    RecordingAddressOpener links;
    std::unique_ptr<frmHelp> help = std::make_unique<frmHelp>(links);
};
