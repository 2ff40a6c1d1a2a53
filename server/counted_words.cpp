#include "server/counted_words.h"

namespace qz7 {

std::string countedWords(long long count, std::string_view one, std::string_view few,
                         std::string_view many) {
    const long long last = (count < 0 ? -count : count) % 100;
    const std::string_view noun = last % 10 == 1 && last != 11                         ? one
                                  : last % 10 >= 2 && last % 10 <= 4 && last / 10 != 1 ? few
                                                                                       : many;
    return std::to_string(count) + " " + std::string(noun);
}

}  // namespace qz7
