#pragma once

#include <string>
#include <string_view>

namespace qz7 {

// A count with its noun in the Russian form that the count takes: "1 раз", "3 раза", "5 раз",
// "11 раз", "21 раз", "22 раза". one: the form after 1, 21, 31...; few: after 2-4, 22-24...;
// many: after 0, 5-20, 25-30... and every 11-14.
std::string countedWords(long long count, std::string_view one, std::string_view few,
                         std::string_view many);

}  // namespace qz7
