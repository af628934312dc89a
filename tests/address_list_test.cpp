#include "output/address_list.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ornavex {
namespace {

// Enough addresses to fill several blocks of views and of bytes.
std::vector<std::string> ManyAddresses() {
    std::vector<std::string> addresses;
    for (int i = 0; i < 300000; ++i)
        addresses.push_back("user" + std::to_string(i) + "@" + std::string(i % 40, 'd') + ".com");
    return addresses;
}

TEST(AddressList, KeepsEveryAddressAcrossBlocks) {
    const std::vector<std::string> addresses = ManyAddresses();
    AddressList list;
    for (const std::string& address : addresses)
        list.Append(address);
    const std::string huge(5'000'000, 'h'); // longer than a block of bytes
    list.Append(huge);
    list.Append("");
    list.Append("last@x.com");

    ASSERT_EQ(list.size(), addresses.size() + 3);
    for (std::size_t i = 0; i < addresses.size(); ++i)
        ASSERT_EQ(list[i], addresses[i]) << "entry " << i;
    EXPECT_EQ(list[addresses.size()], huge);
    EXPECT_EQ(list[addresses.size() + 1], "");
    EXPECT_EQ(list[addresses.size() + 2], "last@x.com");
}

TEST(AddressList, MovingLeavesTheSourceEmptyAndUsable) {
    AddressList source;
    source.Append("a@x.com");
    source.Append("b@x.com");
    AddressList moved(std::move(source));
    EXPECT_TRUE(source.empty());
    source.Append("c@x.com");
    ASSERT_EQ(source.size(), 1u);
    EXPECT_EQ(source[0], "c@x.com");
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1], "b@x.com");
}

} // namespace
} // namespace ornavex
