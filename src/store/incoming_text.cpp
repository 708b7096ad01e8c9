#include "store/incoming_text.h"

namespace perchlet {

IncomingTextStep stepForIncomingText(TextEncoding document, ShiftJisAnswer answered, std::size_t charactersNotHeld) {
    if (document != TextEncoding::ShiftJis || charactersNotHeld == 0) return IncomingTextStep::TakeAsItIs;
    return stepForAnswer(answered);
}

IncomingTextStep stepForAnswer(ShiftJisAnswer answer) {
    switch (answer) {
    case ShiftJisAnswer::SwitchToUtf8: return IncomingTextStep::SwitchToUtf8;
    case ShiftJisAnswer::KeepShiftJis: return IncomingTextStep::MarkLost;
    case ShiftJisAnswer::NotAsked: break;
    }
    return IncomingTextStep::Ask;
}

std::string shiftJisQuestionText(std::size_t charactersNotHeld) {
    return "取り込む文字のうち " + std::to_string(charactersNotHeld) +
           " 文字は、Shift-JIS のデータファイルには保存できません（絵文字、韓国語、ギリシャ文字など）。\r\n\r\n"
           "はい: UTF-8 に切り替える\r\n"
           "　すべての文字をそのまま残します。次の保存からデータファイルは UTF-8 で書かれます"
           "（バックアップには今のファイルがそのまま残ります）。\r\n"
           "いいえ: Shift-JIS のままにする\r\n"
           "　保存できない文字は、続く一まとまりごとに「〓」になります。\r\n\r\n"
           "このデータファイルについては、今の答えを覚えておき、もう尋ねません。";
}

std::string charactersMarkedNote(std::size_t charactersNotHeld) {
    return "Shift-JIS で保存できない " + std::to_string(charactersNotHeld) + " 文字を「〓」にしました。";
}

}  // namespace perchlet
