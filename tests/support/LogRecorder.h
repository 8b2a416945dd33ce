#pragma once
// A log console that keeps every message as plain text, for tests that check
// what was logged. Installs itself as the console while it lives.
#include "log/WriteLog.h"

#include <algorithm>
#include <string>
#include <vector>

namespace pm::test {

class TLogRecorder : public ILogConsole {
public:
    struct Message {
        int Kind;
        std::string Text;
    };

    TLogRecorder() : previous_(GetLogConsole()) { SetLogConsole(this); }
    ~TLogRecorder() override { SetLogConsole(previous_); }
    TLogRecorder(const TLogRecorder&) = delete;
    TLogRecorder& operator=(const TLogRecorder&) = delete;

    void AddMessage(int kind, const TTextColorArray& segments) override {
        Messages.push_back({kind, Join(segments)});
    }
    void AppendToLast(const TTextColorArray& segments) override {
        if (Messages.empty()) Messages.push_back({0, {}});
        Messages.back().Text += Join(segments);
    }
    void SelectLast() override {}

    bool Has(const std::string& text) const { return Count(text) > 0; }
    int Count(const std::string& text) const {
        return static_cast<int>(std::count_if(Messages.begin(), Messages.end(),
                                              [&](const Message& m) { return m.Text == text; }));
    }
    // Messages that contain `part`.
    int CountContaining(const std::string& part) const {
        return static_cast<int>(std::count_if(Messages.begin(), Messages.end(), [&](const Message& m) {
            return m.Text.find(part) != std::string::npos;
        }));
    }
    std::string Dump() const {
        std::string s;
        for (const Message& m : Messages) s += std::to_string(m.Kind) + " " + m.Text + "\n";
        return s;
    }

    std::vector<Message> Messages;

private:
    static std::string Join(const TTextColorArray& segments) {
        std::string s;
        for (const TTextColor& t : segments) s += t.Text;
        return s;
    }
    ILogConsole* previous_;
};

}  // namespace pm::test
