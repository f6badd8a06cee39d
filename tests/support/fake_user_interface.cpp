#include "support/fake_user_interface.h"

#include <stdexcept>

namespace hk::test {

namespace {
template <typename T> T Take(std::deque<T>& queue, const std::string& what) {
    if (queue.empty())
        throw std::logic_error("unscripted " + what);
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
} // namespace

std::vector<UiEvent> FakeUserInterface::Of(const std::string& kind) const {
    std::vector<UiEvent> out;
    for (const auto& e : events)
        if (e.kind == kind)
            out.push_back(e);
    return out;
}

MsgAnswer FakeUserInterface::ShowMessageBox(std::string_view text, std::string_view title,
                                            MsgButtons buttons, MsgIcon icon) {
    events.push_back({"message", std::string(title), std::string(text)});
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return Take(answers, "message box: " + std::string(text));
}

void FakeUserInterface::ShowErrorDialog(std::string_view caption, std::string_view text) {
    events.push_back({"error", std::string(caption), std::string(text)});
}

YesNoAllAnswer FakeUserInterface::AskYesNoAll(std::string_view message) {
    events.push_back({"yesnoall", "Confirm", std::string(message)});
    return Take(yesNoAllAnswers, "yes/no/to-all question: " + std::string(message));
}

std::optional<std::string> FakeUserInterface::NextText(const char* kind, std::string_view title,
                                                       std::string_view text) {
    events.push_back({kind, std::string(title), std::string(text)});
    return Take(texts, std::string(kind) + ": " + std::string(title));
}

std::optional<std::string> FakeUserInterface::InputBox(std::string_view prompt,
                                                       std::string_view title,
                                                       std::string_view defaultText) {
    return NextText("input", title, prompt);
}

std::optional<std::string> FakeUserInterface::ChooseOpenFile(std::string_view title,
                                                             std::string_view filter,
                                                             std::string_view startFolder) {
    return NextText("open", title, startFolder);
}

std::optional<std::string> FakeUserInterface::ChooseSaveFile(std::string_view title,
                                                             std::string_view filter,
                                                             std::string_view startFolder,
                                                             std::string_view defaultName) {
    return NextText("save", title, defaultName);
}

long FakeUserInterface::ChooseDataset(const std::vector<DatasetChoice>& choices) {
    events.push_back({"dataset", {}, std::to_string(choices.size())});
    return Take(datasets, "dataset choice");
}

} // namespace hk::test
