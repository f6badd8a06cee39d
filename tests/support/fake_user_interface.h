#pragma once
// A scripted UserInterface for tests: questions take their answers from queues filled by the
// test (an unscripted question throws, so a test never hangs or guesses), and everything shown
// is recorded in order.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "run/clock.h"
#include "run/user_interface.h"

namespace hk::test {

struct UiEvent {
    std::string kind; // "message", "error", "yesnoall", "input", "open", "save", "dataset",
                      // "log", "document"
    std::string title;
    std::string text;
};

class FakeUserInterface : public UserInterface {
public:
    // Answers, consumed front first.
    std::deque<MsgAnswer> answers; // message boxes with more than an OK button
    std::deque<YesNoAllAnswer> yesNoAllAnswers;
    std::deque<std::optional<std::string>> texts; // input boxes and file choices
    std::deque<long> datasets;

    std::vector<UiEvent> events;
    long progressMaximum = 0;
    long progress = 0;
    std::vector<long> progressValues; // every SetProgress, in order
    std::string status;

    // Events of one kind, in order.
    std::vector<UiEvent> Of(const std::string& kind) const;

    MsgAnswer ShowMessageBox(std::string_view text, std::string_view title, MsgButtons buttons,
                             MsgIcon icon) override;
    void ShowErrorDialog(std::string_view caption, std::string_view text) override;
    YesNoAllAnswer AskYesNoAll(std::string_view message) override;
    std::optional<std::string> InputBox(std::string_view prompt, std::string_view title,
                                        std::string_view defaultText) override;
    std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                              std::string_view startFolder) override;
    std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                              std::string_view startFolder,
                                              std::string_view defaultName) override;
    long ChooseDataset(const std::vector<DatasetChoice>& choices) override;
    void SetProgressRange(long maximum) override { progressMaximum = maximum; }
    void SetProgress(long value) override {
        progress = value;
        progressValues.push_back(value);
    }
    void ResetProgress() override { progress = 0; }
    void SetStatusText(std::string_view text) override { status = text; }
    void ShowLog(const std::string& path) override { events.push_back({"log", {}, path}); }
    void OpenDocument(const std::string& target) override {
        events.push_back({"document", {}, target});
    }

private:
    std::optional<std::string> NextText(const char* kind, std::string_view title,
                                        std::string_view text);
};

// A clock the test sets.
class ManualClock : public Clock {
public:
    LocalTime now;
    LocalTime Now() const override { return now; }
};

} // namespace hk::test
