#pragma once

#include <string>
#include <vector>

namespace veld::lin {

// Where the mathematics shows its messages: the window puts each into a modal box with one OK
// button, the command line writes it to standard error, tests record it. Text is UTF-8.
class LinMessages {
public:
    virtual ~LinMessages() = default;
    virtual void message(const std::string& text) = 0;
};

class RecordingMessages final : public LinMessages {
public:
    std::vector<std::string> messages;
    void message(const std::string& text) override { messages.push_back(text); }
};

}  // namespace veld::lin
