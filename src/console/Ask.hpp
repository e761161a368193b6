#pragma once

#include <string>
#include <string_view>

namespace zandrel {

// Asks a yes/no question until the first character of the answer is a y or an n in either
// case, and returns "Y" or "N".
std::string askYesNo(std::string_view question);

// Asks a yes/no question, keeps the answer in answerText, and tells whether it was a yes.
bool answeredYes(std::string_view question);

// Reads a menu answer into choiceLetter and copies its first character, folded to upper case
// only when it is one of the menu's own lower-case letters, into classLetter.
void readMenuLetter(std::string_view ownLetters);

} // namespace zandrel
