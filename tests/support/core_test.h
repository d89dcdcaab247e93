#pragma once

#include "support/fakes.h"

#include <gtest/gtest.h>

// Puts the core on fakes: port library, notices and dialog; every test starts with no port
// open, base address 0 and a 4-bit bus, and ends with any port it opened closed again.
class CoreTest : public ::testing::Test {
protected:
    CoreTest();
    ~CoreTest() override;

    // Opens LPT1 as the dialog does, then forgets what that put into the trace.
    void open_lpt1();
    std::vector<std::string> notice_texts() const;

    Trace trace;
    FakePortLibrary port{trace};
    RecordingNotices notices{trace};
    FakeDialog dialog;
};
