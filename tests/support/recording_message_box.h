// The host's ShowMessageBox: it shows nothing and keeps every message, so
// tests can check what the player would have been told.
#pragma once

#include <string>
#include <vector>

struct RecordedMessageBox {
    std::string text;    // UTF-8, as passed
    std::string caption; // UTF-8, as passed
};

// Every message shown in order; tests clear it themselves.
std::vector<RecordedMessageBox>& RecordedMessageBoxes();
