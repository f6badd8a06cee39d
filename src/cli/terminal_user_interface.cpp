#include "cli/terminal_user_interface.h"

#include <iostream>

#include "support/text.h"

namespace hk::cli {

TerminalUserInterface::TerminalUserInterface(TerminalOptions options, std::istream& in,
                                             std::ostream& err)
    : options_(options), in_(in), err_(err) {}

std::optional<std::string> TerminalUserInterface::Ask(std::string_view prompt) {
    ClearBar();
    err_ << prompt << std::flush;
    std::string line;
    if (!std::getline(in_, line))
        return std::nullopt;
    return std::string(Trim(line));
}

void TerminalUserInterface::Refuse(std::string_view what) {
    refused_ = true;
    refusedWhat_ = std::string(what);
}

void TerminalUserInterface::ClearBar() {
    if (barShown_) {
        err_ << "\r\033[K" << std::flush;
        barShown_ = false;
    }
}

MsgAnswer TerminalUserInterface::ShowMessageBox(std::string_view text, std::string_view title,
                                                MsgButtons buttons, MsgIcon icon) {
    ClearBar();
    std::string head = title.empty() ? std::string() : std::string(title) + ": ";
    if (buttons == MsgButtons::Ok) {
        err_ << head << text << "\n";
        return MsgAnswer::Ok;
    }
    bool okCancel = buttons == MsgButtons::OkCancel;
    if (options_.assumeYes) {
        err_ << head << text << "\n  -> " << (okCancel ? "OK" : "Yes") << " (--yes)\n";
        return okCancel ? MsgAnswer::Ok : MsgAnswer::Yes;
    }
    if (!options_.interactive) {
        err_ << head << text << "\n";
        Refuse(okCancel ? "a confirmation" : "a yes/no question");
        return okCancel ? MsgAnswer::Cancel
                        : (buttons == MsgButtons::YesNoCancel ? MsgAnswer::Cancel : MsgAnswer::No);
    }
    for (;;) {
        auto a = Ask(head + std::string(text) + (okCancel ? "\n[OK/cancel]? " : "\n[yes/no]? "));
        if (!a)
            return okCancel ? MsgAnswer::Cancel : MsgAnswer::No;
        std::string s = AsciiLower(*a);
        if (okCancel) {
            if (s == "ok" || s == "o" || s == "y" || s == "yes")
                return MsgAnswer::Ok;
            if (s.empty() || s == "c" || s == "cancel" || s == "n" || s == "no")
                return MsgAnswer::Cancel;
        } else {
            if (s == "y" || s == "yes")
                return MsgAnswer::Yes;
            if (s == "n" || s == "no")
                return MsgAnswer::No;
            if (buttons == MsgButtons::YesNoCancel && (s == "c" || s == "cancel"))
                return MsgAnswer::Cancel;
        }
    }
}

void TerminalUserInterface::ShowErrorDialog(std::string_view caption, std::string_view text) {
    ClearBar();
    err_ << caption << ": " << OneLine(text) << "\n";
}

YesNoAllAnswer TerminalUserInterface::AskYesNoAll(std::string_view message) {
    if (options_.assumeYes)
        return YesNoAllAnswer::YesToAll;
    if (!options_.interactive) {
        Refuse("a yes/no question");
        return YesNoAllAnswer::NoToAll;
    }
    for (;;) {
        auto a = Ask(std::string(message) + "\n[yes/no/all/none]? ");
        if (!a)
            return YesNoAllAnswer::NoToAll;
        std::string s = AsciiLower(*a);
        if (s == "y" || s == "yes")
            return YesNoAllAnswer::Yes;
        if (s == "n" || s == "no")
            return YesNoAllAnswer::No;
        if (s == "a" || s == "all")
            return YesNoAllAnswer::YesToAll;
        if (s == "none")
            return YesNoAllAnswer::NoToAll;
    }
}

std::optional<std::string> TerminalUserInterface::InputBox(std::string_view prompt,
                                                           std::string_view title,
                                                           std::string_view defaultText) {
    if (!options_.interactive) {
        Refuse("an input");
        return std::nullopt;
    }
    auto a = Ask(std::string(prompt) + " [" + std::string(defaultText) + "] ");
    if (!a)
        return std::nullopt;
    return a->empty() ? std::string(defaultText) : *a;
}

std::optional<std::string>
TerminalUserInterface::ChooseOpenFile(std::string_view title, std::string_view, std::string_view) {
    if (!options_.interactive) {
        Refuse("a file choice");
        return std::nullopt;
    }
    auto a = Ask(std::string(title) + " (file path, empty to cancel): ");
    if (!a || a->empty())
        return std::nullopt;
    return a;
}

std::optional<std::string> TerminalUserInterface::ChooseSaveFile(std::string_view title,
                                                                 std::string_view filter,
                                                                 std::string_view startFolder,
                                                                 std::string_view) {
    return ChooseOpenFile(title, filter, startFolder);
}

long TerminalUserInterface::ChooseDataset(const std::vector<DatasetChoice>& datasets) {
    if (options_.dataset != -2) {
        for (const DatasetChoice& d : datasets)
            if (d.dsid == options_.dataset)
                return d.dsid;
        ClearBar();
        err_ << "The project has no dataset " << options_.dataset << "; it has:";
        for (const DatasetChoice& d : datasets)
            err_ << " " << d.dsid << " (" << d.name << ")";
        err_ << "\n";
        Refuse("the dataset");
        return -1;
    }
    if (!options_.interactive) {
        ClearBar();
        err_ << "The project has several datasets; choose one with --dataset N:\n";
        for (const DatasetChoice& d : datasets)
            err_ << "  " << d.dsid << ": " << d.name << "\n";
        Refuse("the dataset");
        return -1;
    }
    for (const DatasetChoice& d : datasets)
        err_ << "  " << d.dsid << ": " << d.name << "\n";
    for (;;) {
        auto a = Ask("Dataset (empty to cancel): ");
        if (!a || a->empty())
            return -1;
        for (const DatasetChoice& d : datasets)
            if (std::to_string(d.dsid) == *a)
                return d.dsid;
    }
}

void TerminalUserInterface::SetProgressRange(long maximum) {
    progressMax_ = maximum;
    lastPercent_ = -1;
}

void TerminalUserInterface::SetProgress(long value) {
    if (!options_.progressBar || progressMax_ <= 0)
        return;
    int percent = static_cast<int>(100.0 * std::min(value, progressMax_) / progressMax_);
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    int filled = percent * 40 / 100;
    err_ << "\r[" << std::string(filled, '#') << std::string(40 - filled, ' ') << "] " << percent
         << "%" << std::flush;
    barShown_ = true;
}

void TerminalUserInterface::ResetProgress() {
    ClearBar();
    progressMax_ = 0;
    lastPercent_ = -1;
}

void TerminalUserInterface::SetStatusText(std::string_view) {}

void TerminalUserInterface::ShowLog(const std::string& path) {
    logPath_ = path;
}

void TerminalUserInterface::OpenDocument(const std::string& target) {
    ClearBar();
    err_ << target << "\n";
}

} // namespace hk::cli
