#include "server/counted_words.h"

#include <gtest/gtest.h>

namespace qz7 {
namespace {

TEST(CountedWords, TheNounTakesTheFormItsCountAsks) {
    const std::pair<long long, const char*> cases[] = {
        {0, "0 раз"},    {1, "1 раз"},     {2, "2 раза"},    {3, "3 раза"},     {4, "4 раза"},
        {5, "5 раз"},    {11, "11 раз"},   {12, "12 раз"},   {14, "14 раз"},    {21, "21 раз"},
        {22, "22 раза"}, {111, "111 раз"}, {112, "112 раз"}, {122, "122 раза"}, {1001, "1001 раз"}};
    for (const auto& [count, expected] : cases)
        EXPECT_EQ(countedWords(count, "раз", "раза", "раз"), expected) << count;
    EXPECT_EQ(countedWords(1, "падение", "падения", "падений"), "1 падение");
    EXPECT_EQ(countedWords(21, "падение", "падения", "падений"), "21 падение");
    EXPECT_EQ(countedWords(11, "падение", "падения", "падений"), "11 падений");
    EXPECT_EQ(countedWords(3, "падение", "падения", "падений"), "3 падения");
}

}  // namespace
}  // namespace qz7
