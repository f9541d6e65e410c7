#include "support/hash_table.h"

#include "support/util.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>

namespace {

struct named {
    std::string name;
};

std::uint32_t hash_record(const void* record)
{
    return tarv_hash_text(static_cast<const named*>(record)->name.c_str());
}

std::uint32_t hash_key(const void* key)
{
    return tarv_hash_text(static_cast<const char*>(key));
}

int match_name(const void* record, const void* key)
{
    return static_cast<const named*>(record)->name == static_cast<const char*>(key);
}

std::uint32_t same_hash(const void*)
{
    return 7;
}

}  // namespace

TEST(HashTable, DoublesAtTheHundredThirtiethEntryAndKeepsEveryRecord)
{
    VoidPointerHashTable table(hash_record, hash_key, match_name);
    std::deque<named> records;
    for (int i = 0; i < 130; ++i) records.push_back({"sound" + std::to_string(i) + ".ogg"});

    for (int i = 0; i < 129; ++i) table.add(&records[i]);
    EXPECT_EQ(table.bucket_count(), 256);
    EXPECT_EQ(table.size(), 129);
    table.add(&records[129]);
    EXPECT_EQ(table.bucket_count(), 512);
    EXPECT_EQ(table.size(), 130);

    for (const named& r : records) EXPECT_EQ(table.find(r.name.c_str()), &r) << r.name;
    EXPECT_EQ(table.find("missing.ogg"), nullptr);
}

TEST(HashTable, NewestOfEqualKeysIsFoundAndRemoveUncoversTheOlder)
{
    VoidPointerHashTable table(hash_record, hash_key, match_name);
    named older{"rain"}, newer{"rain"}, other{"wind"};
    table.add(&older);
    table.add(&other);
    table.add(&newer);
    EXPECT_EQ(table.size(), 3);
    EXPECT_EQ(table.find("rain"), &newer);

    EXPECT_EQ(table.remove(&newer), 1);
    EXPECT_EQ(table.remove(&newer), 0);
    EXPECT_EQ(table.find("rain"), &older);
    EXPECT_EQ(table.size(), 2);
    EXPECT_EQ(table.remove(&older), 1);
    EXPECT_EQ(table.find("rain"), nullptr);
    EXPECT_EQ(table.find("wind"), &other);
}

TEST(HashTable, SamePointerTwiceIsRefused)
{
    LogCapture log;
    VoidPointerHashTable table(hash_record, hash_key, match_name);
    named record{"bell"};
    table.add(&record);
    table.add(&record);
    EXPECT_EQ(table.size(), 1);
    EXPECT_EQ(log.text(), "Error in VoidPointerHashTable::add(), attempt to add duplicate thing.\n");
    EXPECT_EQ(table.remove(&record), 1);
    EXPECT_EQ(table.find("bell"), nullptr);
}

TEST(HashTable, CrowdedChainIsReportedButStillAccepted)
{
    LogCapture log;
    VoidPointerHashTable table(same_hash, same_hash, match_name);
    std::deque<named> records;
    for (int i = 0; i < 52; ++i) records.push_back({"n" + std::to_string(i)});
    for (int i = 0; i < 51; ++i) table.add(&records[i]);
    EXPECT_EQ(log.text(), "");
    table.add(&records[51]);
    EXPECT_EQ(log.text(), "Error in VoidPointerHashTable::add(), found 51 things in bucket 7.\n");
    EXPECT_EQ(table.size(), 52);
    EXPECT_EQ(table.find("n0"), &records[0]);
}
