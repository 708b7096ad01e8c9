// Text from outside (an import, a paste, a page's title, what the user types) that holds
// characters a Shift-JIS document cannot keep. The user chooses once for the open document:
// the document becomes UTF-8 and keeps them, or each run of them becomes "〓".
#pragma once
#include <cstddef>
#include <string>

#include "store/encoding.h"

namespace perchlet {

// What the user answered for the open document; forgotten with it.
enum class ShiftJisAnswer { NotAsked, SwitchToUtf8, KeepShiftJis };

enum class IncomingTextStep {
    TakeAsItIs,    // nothing would be lost: the text comes in in the document's encoding
    Ask,           // ask, then take the step the answer names
    SwitchToUtf8,  // the document becomes UTF-8 first
    MarkLost,      // the text comes in as Shift-JIS, each run of lost characters marked
};

IncomingTextStep stepForIncomingText(TextEncoding document, ShiftJisAnswer answered, std::size_t charactersNotHeld);
IncomingTextStep stepForAnswer(ShiftJisAnswer answer);

// The question (Shift-JIS, as every message is), naming the count and what each answer does.
std::string shiftJisQuestionText(std::size_t charactersNotHeld);

// The one note after text came in marked: how many characters became "〓".
std::string charactersMarkedNote(std::size_t charactersNotHeld);

}  // namespace perchlet
