// The result of RegExp.Replace: the subject with each match replaced by the replacement
// text, whose $-sequences are those of the system component (ECMAScript 3):
//   $1..$99  the text of that group, "" when it took no part ($01..$09 as well). Two
//            digits are read only while they name a group: with 3 groups "$12" is
//            group 1 followed by "2".
//   $&  the match   $`  the text before it   $'  the text after it   $$  one "$"
// Any other "$" stands for itself, "$0" and a number above the group count included.
#pragma once

#include <string>
#include <string_view>

#include "components/regexp/pattern.h"

namespace quolvane::regexp {

std::u16string ReplaceMatches(std::u16string_view subject, const MatchList& matches,
                              std::u16string_view replacement);

}  // namespace quolvane::regexp
