#pragma once
// A console sink that keeps every message, and a guard that installs one as
// WriteLog's console for the lifetime of a test.
#include "log/WriteLog.h"

#include <string>
#include <vector>

namespace pm::test {

struct TRecordedMessage {
    int Kind = 0;
    TTextColorArray Segments;
    int Appends = 0; // continuations received
    std::string Text() const {
        std::string t;
        for (const TTextColor& s : Segments) t += s.Text;
        return t;
    }
};

class TRecordingConsole : public ILogConsole {
  public:
    void AddMessage(int kind, const TTextColorArray& segments) override {
        Calls.push_back("Add");
        Messages.push_back({kind, segments, 0});
    }
    void AppendToLast(const TTextColorArray& segments) override {
        Calls.push_back("Append");
        if (Messages.empty()) return; // like the console: nothing to append to
        TRecordedMessage& m = Messages.back();
        m.Segments.insert(m.Segments.end(), segments.begin(), segments.end());
        ++m.Appends;
    }
    void SelectLast() override { Calls.push_back("Select"); }

    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const TRecordedMessage& m : Messages) t.push_back(m.Text());
        return t;
    }
    // The first message whose whole text is `text`, or null.
    const TRecordedMessage* Find(const std::string& text) const {
        for (const TRecordedMessage& m : Messages)
            if (m.Text() == text) return &m;
        return nullptr;
    }
    bool Has(const std::string& text) const { return Find(text) != nullptr; }
    // Messages whose text contains `part`.
    int CountContaining(const std::string& part) const {
        int n = 0;
        for (const TRecordedMessage& m : Messages) n += m.Text().find(part) != std::string::npos;
        return n;
    }
    // Messages whose whole text is `text`.
    int Count(const std::string& text) const {
        int n = 0;
        for (const TRecordedMessage& m : Messages) n += m.Text() == text;
        return n;
    }
    // Every message on its own line with its kind, for failure output.
    std::string Dump() const {
        std::string s;
        for (const TRecordedMessage& m : Messages) s += std::to_string(m.Kind) + " " + m.Text() + "\n";
        return s;
    }
    void Clear() {
        Messages.clear();
        Calls.clear();
    }

    std::vector<TRecordedMessage> Messages;
    std::vector<std::string> Calls; // "Add", "Append", "Select" in call order
};

// Installs itself as WriteLog's console; restores the previous one after.
class TLogRecorder : public TRecordingConsole {
  public:
    TLogRecorder() : previous_(GetLogConsole()) { SetLogConsole(this); }
    ~TLogRecorder() override { SetLogConsole(previous_); }
    TLogRecorder(const TLogRecorder&) = delete;
    TLogRecorder& operator=(const TLogRecorder&) = delete;

  private:
    ILogConsole* previous_;
};

} // namespace pm::test
