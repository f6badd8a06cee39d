#pragma once
// The sentence model of TMG tag types, participants and names: a definition memo holds one
// section per language ("[L=ENGLISH]"), each with one sentence per role ("[R=00001]").
// CTMGSentences parses such a memo, hands out languages (filled from English on demand)
// and writes the definition back.
#include <string>
#include <string_view>

#include "formats/keyed_list.h"
#include "support/error.h"

namespace hk {

// VB's "duplicate key" error, which the sentence collections raise as TMG's program did.
inline constexpr long kErrDuplicateKey = 457;

inline constexpr std::string_view kEnglishLanguage = "ENGLISH";

class CTMGSentenceRole {
public:
    // Reads a role section: its "[R=" role "]" header (absent for the unnamed role), an
    // optional "[C=...]" consistency marker (further leading markers are skipped) and the
    // sentence, trimmed, without a trailing "$!&".
    void LoadRole(std::string_view role, std::string_view sectionText);
    // Role, consistency marker and sentence; the language stays.
    void CopyFrom(const CTMGSentenceRole& other);

    const std::string& Role() const { return role_; }
    void SetRole(std::string role) { role_ = std::move(role); }
    const std::string& Language() const { return language_; }
    void SetLanguage(std::string language) { language_ = std::move(language); }
    const std::string& Consistency() const { return consistency_; }
    void SetConsistency(std::string marker) { consistency_ = std::move(marker); }
    const std::string& Sentence() const { return sentence_; }
    void SetSentence(std::string sentence) { sentence_ = std::move(sentence); }

    // "[R=" role "]" (not for the unnamed role), the consistency marker (English only), the
    // sentence.
    std::string Definition() const;
    std::string DebugText(std::string_view indent = {}) const;

private:
    std::string role_;
    std::string language_;
    std::string consistency_;
    std::string sentence_;
};

class CTMGSentenceLanguage {
public:
    // Reads a language section (the text after its "[L=...]" header). Without any "[R="
    // the section is the sentence of the unnamed role. With a role filter only the roles of
    // that name (without regard to case) are kept. Errors name the role and language.
    void LoadLanguage(std::string_view language, std::string_view sectionText,
                      std::string_view roleFilter = {});

    const std::string& Name() const { return name_; }
    // Renames the language and its roles' language with it.
    void SetName(std::string name);

    bool HasRole(std::string_view role) const { return roles_.Contains(role); }
    // Empty when the role is missing.
    const std::string& SentenceOf(std::string_view role) const;
    CTMGSentenceRole* Role(std::string_view role) { return roles_.Find(role); }
    const CTMGSentenceRole* Role(std::string_view role) const { return roles_.Find(role); }
    int RoleCount() const { return roles_.Count(); }
    const CTMGSentenceRole& RoleAt(int index) const { return roles_.At(index); }
    // Adds a copy that takes this language; false when the role is already there.
    bool AddRole(const CTMGSentenceRole& role);

    // "[L=" name "]" followed by each role's definition.
    std::string Definition() const;
    std::string DebugText(std::string_view indent = {}) const;

private:
    std::string name_;
    KeyedList<CTMGSentenceRole> roles_;
};

class CTMGSentences {
public:
    // Parses a definition memo. Line breaks are ignored; a "[LABELS:]...[:LABELS]" block is
    // skipped but kept for Definition; language sections without text are ignored. Errors
    // carry the memo text (and for a duplicate, ", Key=" and the language).
    void LoadSentences(std::string_view memoText, std::string_view roleFilter = {});

    int LanguageCount() const { return languages_.Count(); }
    const CTMGSentenceLanguage& LanguageAt(int index) const { return languages_.At(index); }
    // Without creating anything; nullptr when the memo has no such section.
    const CTMGSentenceLanguage* FindLanguage(std::string_view name) const {
        return languages_.Find(name);
    }
    // The language, created when missing: an empty "ENGLISH" is added when there is none,
    // another missing language is added as a copy of English. With FillFromEnglish on, a
    // language other than English gains every English role with a sentence that it lacks.
    CTMGSentenceLanguage& Language(std::string_view name);
    // The language's sentences by role; an empty language is added when it is missing.
    KeyedList<std::string> GetSentencesByRole(std::string_view language);
    // An empty language section, or the existing one.
    CTMGSentenceLanguage& AddLanguage(std::string_view name);
    // False when `from` is missing or `to` is taken by another language.
    bool RenameLanguage(std::string_view from, std::string_view to);

    bool FillFromEnglish() const { return fillFromEnglish_; }
    void SetFillFromEnglish(bool on) { fillFromEnglish_ = on; }
    bool Changed() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }

    // The memo to write back: the labels block as it was read, then each language that has
    // roles. When the memo read had line breaks, language sections go on lines of their own.
    std::string Definition() const;
    std::string DebugText(std::string_view indent = {}) const;

private:
    KeyedList<CTMGSentenceLanguage> languages_;
    std::string labelsBlock_;
    std::string sectionSeparator_;
    bool fillFromEnglish_ = false;
    bool changed_ = false;
};

} // namespace hk
