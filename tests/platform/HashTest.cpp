#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lxHash.h"

namespace lx {
namespace {

using Keys = std::vector<std::u16string_view>;

TEST(HashText, MatchesValuesWorkedOutByHand) {
  // "A":  h = 0*33 + 65 = 65;             65 + (65 >> 5) = 65 + 2 = 67.
  // "ab": h = 97; h = 97*33 + 98 = 3299;  3299 + (3299 >> 5) = 3299 + 103 = 3402.
  // "AB" and "B!" collide: 65*33 + 66 = 66*33 + 33 = 2211; 2211 + 69 = 2280.
  EXPECT_EQ(XLSHashText(u""), 0u);
  EXPECT_EQ(XLSHashText(u"A"), 67u);
  EXPECT_EQ(XLSHashText(u"ab"), 3402u);
  EXPECT_EQ(XLSHashText(u"AB"), 2280u);
  EXPECT_EQ(XLSHashText(u"B!"), 2280u);
  // Worked out with 64-bit arithmetic reduced modulo 2^32 after every step:
  // the first wraps around, the second has code units above 0xFF.
  EXPECT_EQ(XLSHashText(u"Hello, World!"), 0x2B3666D4u);
  EXPECT_EQ(XLSHashText(u"\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF\uFFFF"), 0xAD233D5Bu);
  EXPECT_EQ(XLSHashText(u"\u0416\u0438"), 36710u);
}

// Single-letter keys hash to code + (code >> 5): A=67, I=75, Q=83, Y=91 all
// fall in bucket 3 of 8; with 16 buckets A and Q stay in 3, I and Y go to 11.
TEST(HashTable, NewKeysGoInFrontAndDoublingMovesEntriesToFrontOfNewChain) {
  THashTable<int32_t> table;
  EXPECT_EQ(table.BucketCount(), 8u);
  for (const char16_t* key : {u"A", u"I", u"Q", u"Y"}) table.Set(key, 1);
  EXPECT_EQ(table.ChainKeys(3), (Keys{u"Y", u"Q", u"I", u"A"}));

  // Seven entries fit in eight buckets; the eighth doubles the array.
  for (const char16_t* key : {u"B", u"C", u"D"}) table.Set(key, 2);
  EXPECT_EQ(table.Count(), 7u);
  EXPECT_EQ(table.BucketCount(), 8u);
  table.Set(u"E", 3);
  EXPECT_EQ(table.Count(), 8u);
  EXPECT_EQ(table.BucketCount(), 16u);

  // The old chain Y, Q, I, A is walked in order: Q and A stay in order, Y
  // and then I are each put in front of bucket 11.
  EXPECT_EQ(table.ChainKeys(3), (Keys{u"Q", u"A"}));
  EXPECT_EQ(table.ChainKeys(11), (Keys{u"I", u"Y"}));
  table.Set(u"h", 4);  // 'h' = 104 + 3 = 107, bucket 11 of 16
  EXPECT_EQ(table.ChainKeys(11), (Keys{u"h", u"I", u"Y"}));

  // Replacing a value neither adds an entry nor reorders the chain.
  EXPECT_FALSE(table.Set(u"I", 9));
  EXPECT_EQ(table.ChainKeys(11), (Keys{u"h", u"I", u"Y"}));
  EXPECT_EQ(*table.Find(u"I"), 9);
  EXPECT_EQ(table.Count(), 9u);

  // Next doubling at the sixteenth entry.
  for (char16_t c = u'0'; c < u'6'; ++c) table.Set(std::u16string(1, c), 0);
  EXPECT_EQ(table.Count(), 15u);
  EXPECT_EQ(table.BucketCount(), 16u);
  table.Set(u"6", 0);
  EXPECT_EQ(table.BucketCount(), 32u);
  for (const char16_t* key : {u"A", u"I", u"Q", u"Y", u"B", u"C", u"D", u"E", u"h", u"0", u"6"}) {
    EXPECT_TRUE(table.Contains(key)) << static_cast<int>(key[0]);
  }
}

TEST(HashTable, KeysCompareExactlyEvenWhenHashesCollide) {
  THashTable<int32_t> table;
  table.Set(u"AB", 1);
  table.Set(u"B!", 2);
  table.Set(u"ab", 3);
  EXPECT_EQ(table.Count(), 3u);
  EXPECT_EQ(*table.Find(u"AB"), 1);
  EXPECT_EQ(*table.Find(u"B!"), 2);
  EXPECT_EQ(*table.Find(u"ab"), 3);
  EXPECT_EQ(table.Find(u"Ab"), nullptr);
  EXPECT_EQ(table.Find(u"AB "), nullptr);
  EXPECT_EQ(table.Find(u""), nullptr);

  // Removing one of the colliding pair leaves the other reachable.
  EXPECT_TRUE(table.Remove(u"AB"));
  EXPECT_FALSE(table.Remove(u"AB"));
  EXPECT_EQ(table.Find(u"AB"), nullptr);
  EXPECT_EQ(*table.Find(u"B!"), 2);
  EXPECT_EQ(table.Count(), 2u);
}

TEST(HashTable, RemovedSlotsAreReusedAndClearStartsOver) {
  THashTable<std::u16string> table;
  for (int i = 0; i < 100; ++i)
    table.Set(u"key" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                  std::u16string(1, static_cast<char16_t>(u'a' + i / 26)),
              std::u16string(1, static_cast<char16_t>(i)));
  EXPECT_EQ(table.Count(), 100u);
  EXPECT_EQ(table.BucketCount(), 128u);
  for (int i = 0; i < 100; i += 2) {
    EXPECT_TRUE(table.Remove(u"key" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                             std::u16string(1, static_cast<char16_t>(u'a' + i / 26))));
  }
  EXPECT_EQ(table.Count(), 50u);
  table.Set(u"new", u"value");
  EXPECT_EQ(*table.Find(u"new"), u"value");
  EXPECT_EQ(*table.Find(u"keyBa"), std::u16string(1, char16_t{1}));
  EXPECT_EQ(table.Find(u"keyAa"), nullptr);

  std::map<std::u16string, std::u16string> seen;
  table.ForEach([&](std::u16string_view key, const std::u16string& value) { seen.emplace(key, value); });
  EXPECT_EQ(seen.size(), 51u);

  table.Clear();
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_EQ(table.BucketCount(), 8u);
  EXPECT_EQ(table.Find(u"new"), nullptr);
}

TEST(HashContainers, AbsentKeysGiveTheDocumentedDefaults) {
  THashInteger integers;
  EXPECT_EQ(integers.Get(u"missing"), 0);
  integers.Set(u"x", -7);
  EXPECT_EQ(integers.Get(u"x"), -7);
  EXPECT_EQ(integers.Get(u"X"), 0);

  THashString strings;
  EXPECT_EQ(strings.Get(u"missing"), "");
  strings.Add(u"k", "v1");
  strings.Add(u"k", "v2");
  EXPECT_EQ(strings.Count(), 1u);
  EXPECT_EQ(strings.Get(u"k"), "v2");

  THashBool flags;
  EXPECT_FALSE(flags.Get(u"missing"));
  flags.Set(u"t", true);
  flags.Set(u"f", false);
  EXPECT_TRUE(flags.Get(u"t"));
  EXPECT_FALSE(flags.Get(u"f"));
  EXPECT_TRUE(flags.Contains(u"f"));

  TIntegerArray numbers;
  EXPECT_EQ(numbers.Get(0), -1);
  numbers.Set(0, 0);
  numbers.Set(-5, 12);
  numbers.Set(INT32_MIN, 1);
  numbers.Set(INT32_MAX, 2);
  EXPECT_EQ(numbers.Get(0), 0);
  EXPECT_EQ(numbers.Get(-5), 12);
  EXPECT_EQ(numbers.Get(5), -1);
  EXPECT_EQ(numbers.Get(INT32_MIN), 1);
  EXPECT_EQ(numbers.Get(INT32_MAX), 2);
  EXPECT_TRUE(numbers.Remove(-5));
  EXPECT_EQ(numbers.Get(-5), -1);

  TWideStringArray texts;
  EXPECT_EQ(texts.Get(3), u"");
  texts.Set(3, u"three");
  EXPECT_EQ(texts.Get(3), u"three");

  TBoolArray dateFlags;
  EXPECT_FALSE(dateFlags.Get(14));
  dateFlags.Set(14, true);
  EXPECT_TRUE(dateFlags.Get(14));
  EXPECT_FALSE(dateFlags.Get(15));
}

TEST(HashContainers, IntegerKeysAreTheirDecimalText) {
  // "42": h = 52*33 + 50 = 1766; 1766 + 55 = 1821, bucket 1821 & 7 = 5.
  TIntegerArray numbers;
  numbers.Set(42, 7);
  EXPECT_EQ(numbers.Table().ChainKeys(5), (Keys{u"42"}));
  numbers.Set(-42, 8);
  std::map<int32_t, int32_t> seen;
  numbers.ForEach([&](int32_t key, int32_t value) { seen[key] = value; });
  EXPECT_EQ(seen, (std::map<int32_t, int32_t>{{-42, 8}, {42, 7}}));
}

class TTrackedItem : public TXLSHashItem {
 public:
  TTrackedItem(int id, std::vector<int>& freed) : id_(id), freed_(freed) {}
  ~TTrackedItem() override { freed_.push_back(id_); }
  int Id() const { return id_; }

 private:
  int id_;
  std::vector<int>& freed_;
};

TEST(HashObject, FreesReplacedAndRemovedObjects) {
  std::vector<int> freed;
  {
    THashObject objects;
    EXPECT_EQ(objects.Get(u"a"), nullptr);
    objects.Set(u"a", std::make_unique<TTrackedItem>(1, freed));
    objects.Set(u"b", std::make_unique<TTrackedItem>(2, freed));
    EXPECT_TRUE(freed.empty());

    objects.Set(u"a", std::make_unique<TTrackedItem>(3, freed));
    EXPECT_EQ(freed, (std::vector<int>{1}));
    EXPECT_EQ(static_cast<TTrackedItem*>(objects.Get(u"a"))->Id(), 3);

    EXPECT_TRUE(objects.Remove(u"b"));
    EXPECT_EQ(freed, (std::vector<int>{1, 2}));
    EXPECT_FALSE(objects.Remove(u"b"));

    // Extract hands the object over without freeing it.
    std::unique_ptr<TXLSHashItem> taken = objects.Extract(u"a");
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(freed, (std::vector<int>{1, 2}));
    EXPECT_EQ(objects.Count(), 0u);
    taken.reset();
    EXPECT_EQ(freed, (std::vector<int>{1, 2, 3}));

    objects.Set(u"c", std::make_unique<TTrackedItem>(4, freed));
    objects.Set(u"d", std::make_unique<TTrackedItem>(5, freed));
    objects.Clear();
    EXPECT_EQ(freed.size(), 5u);
    objects.Set(u"e", std::make_unique<TTrackedItem>(6, freed));
  }
  // The table frees what it still holds when it dies.
  EXPECT_EQ(freed.size(), 6u);
  EXPECT_EQ(freed.back(), 6);
}

TEST(HashObject, ObjectArrayOwnsItsObjectsAndTheyDoNotMoveWhenTheTableGrows) {
  std::vector<int> freed;
  TObjectArrayOf<TTrackedItem> objects;
  TTrackedItem* first = objects.Set(0, std::make_unique<TTrackedItem>(0, freed));
  for (int i = 1; i < 40; ++i) objects.Set(i, std::make_unique<TTrackedItem>(i, freed));
  EXPECT_EQ(objects.Get(0), first);
  EXPECT_EQ(objects.Get(39)->Id(), 39);
  EXPECT_EQ(objects.Get(40), nullptr);
  objects.Set(7, std::make_unique<TTrackedItem>(107, freed));
  EXPECT_EQ(freed, (std::vector<int>{7}));
  EXPECT_TRUE(objects.Remove(8));
  EXPECT_EQ(freed, (std::vector<int>{7, 8}));
  EXPECT_EQ(objects.Count(), 39u);
}

}  // namespace
}  // namespace lx
