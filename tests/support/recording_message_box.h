// The host's ShowMessageBox: it shows nothing and keeps every message, so
// tests can check what the player would have been told.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct RecordedMessageBox {
    std::string text;    // UTF-8, as passed
    std::string caption; // UTF-8, as passed
};

// Every message shown in order; tests clear it themselves.
std::vector<RecordedMessageBox>& RecordedMessageBoxes();

// Runs inside every ShowMessageBox once the message is recorded: what the
// box's own message loop would dispatch while it is open, such as the window
// being closed. Empty unless a test sets it; tests clear it themselves.
std::function<void()>& WhileMessageBoxIsOpen();
