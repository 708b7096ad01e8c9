#include "store/incoming_text_win.h"

#include "shell/dialogs_win.h"
#include "shell/text_win.h"
#include "store/document_encoding.h"

namespace perchlet {

namespace {

ShiftJisAnswer askShiftJisQuestion(HWND owner, std::size_t charactersNotHeld, const std::string& caption) {
    int answer = showMessage(owner, shiftJisQuestionText(charactersNotHeld), caption, MB_YESNO | MB_ICONQUESTION);
    return answer == IDYES ? ShiftJisAnswer::SwitchToUtf8 : ShiftJisAnswer::KeepShiftJis;
}

}  // namespace

TextEncoding encodingForIncomingText(HWND owner, Document& document, std::size_t charactersNotHeld,
                                     const std::string& caption) {
    OpenFile& file = document.file;
    IncomingTextStep step = stepForIncomingText(file.encoding, file.shiftJisAnswer, charactersNotHeld);
    if (step == IncomingTextStep::Ask) {
        file.shiftJisAnswer = askShiftJisQuestion(owner, charactersNotHeld, caption);
        step = stepForAnswer(file.shiftJisAnswer);
    }
    if (step == IncomingTextStep::SwitchToUtf8) convertDocumentEncoding(document, TextEncoding::Utf8);
    return file.encoding;
}

TextEncoding encodingForIncomingText(HWND owner, Document& document, std::wstring_view text,
                                     const std::string& caption) {
    if (document.file.encoding != TextEncoding::ShiftJis) return document.file.encoding;
    std::string utf8 = textFromUtf16(utf16View(text), TextEncoding::Utf8);
    return encodingForIncomingText(owner, document, charactersShiftJisCannotHold(utf8), caption);
}

void sayCharactersMarked(HWND owner, std::size_t charactersNotHeld, const std::string& caption) {
    if (charactersNotHeld == 0) return;
    showMessage(owner, charactersMarkedNote(charactersNotHeld), caption, MB_OK | MB_ICONINFORMATION);
}

}  // namespace perchlet
