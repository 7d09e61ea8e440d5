#include "tools/gatewayd/AccountBook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using gatewayd::Account;
using gatewayd::CAccountBook;

std::vector<Account> TwoAccounts(int limit) {
    return {{"a", "pa", "0", std::nullopt, std::nullopt, false, limit, false},
            {"b", "pb", "0", std::nullopt, std::nullopt, false, limit, false}};
}

TEST(AccountBook, AuthenticatesByExactNameAndPassword) {
    const CAccountBook book(TwoAccounts(1));
    ASSERT_NE(book.Authenticate("a", "pa"), nullptr);
    EXPECT_EQ(book.Authenticate("a", "pa")->name, "a");
    EXPECT_EQ(book.Authenticate("a", "pb"), nullptr);
    EXPECT_EQ(book.Authenticate("A", "pa"), nullptr);
    EXPECT_EQ(book.Authenticate("a", ""), nullptr);
    EXPECT_EQ(book.Authenticate("c", "pa"), nullptr);
}

TEST(AccountBook, KeepsCountsWithinTheLimitPerAccount) {
    CAccountBook book(TwoAccounts(2));
    const Account& a = *book.Authenticate("a", "pa");
    const Account& b = *book.Authenticate("b", "pb");
    EXPECT_EQ(book.OpenConnection(a), 1);
    EXPECT_EQ(book.OpenConnection(a), 2);
    EXPECT_EQ(book.OpenConnection(a), std::nullopt);
    EXPECT_EQ(book.OpenConnections(a), 2);
    EXPECT_EQ(book.OpenConnections(b), 0);
    EXPECT_EQ(book.CloseConnection(a), 1);
    book.CloseAllConnections(a);
    EXPECT_EQ(book.OpenConnections(a), 0);
    EXPECT_EQ(book.CloseConnection(a), std::nullopt);
    EXPECT_EQ(book.OpenConnections(a), 0);
}

TEST(AccountBook, DropClosesEverythingUntilTheAccountConnectsAgain) {
    CAccountBook book(TwoAccounts(3));
    const Account& a = *book.Authenticate("a", "pa");
    const Account& b = *book.Authenticate("b", "pb");
    EXPECT_EQ(book.Find("b"), &b);
    EXPECT_EQ(book.Find("c"), nullptr);
    ASSERT_EQ(book.OpenConnection(a), 1);
    ASSERT_EQ(book.OpenConnection(a), 2);
    ASSERT_EQ(book.OpenConnection(b), 1);
    EXPECT_FALSE(book.AnyDropped());

    EXPECT_EQ(book.Drop(a), 2);
    EXPECT_EQ(book.OpenConnections(a), 0);
    EXPECT_EQ(book.OpenConnections(b), 1);
    EXPECT_TRUE(book.AnyDropped());
    // Closing, or a connect of another account, does not end the drop.
    book.CloseAllConnections(a);
    EXPECT_EQ(book.OpenConnection(b), 2);
    EXPECT_TRUE(book.AnyDropped());
    EXPECT_EQ(book.OpenConnection(a), 1);
    EXPECT_FALSE(book.AnyDropped());
    EXPECT_EQ(book.Drop(b), 2);
    EXPECT_EQ(book.Drop(b), 0);
    EXPECT_TRUE(book.AnyDropped());
}

TEST(AccountBook, NeverPassesTheLimitUnderConcurrentConnects) {
    constexpr int kLimit = 50;
    constexpr int kThreads = 8;
    constexpr int kAttemptsPerThread = 40;
    CAccountBook book(TwoAccounts(kLimit));
    const Account& a = *book.Authenticate("a", "pa");
    std::atomic<int> opened{0};
    {
        std::vector<std::jthread> threads;
        threads.reserve(kThreads);
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < kAttemptsPerThread; ++i) {
                    if (book.OpenConnection(a)) {
                        ++opened;
                    }
                }
            });
        }
    }
    EXPECT_EQ(opened.load(), kLimit);
    EXPECT_EQ(book.OpenConnections(a), kLimit);

    std::atomic<int> closed{0};
    {
        std::vector<std::jthread> threads;
        threads.reserve(kThreads);
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < kAttemptsPerThread; ++i) {
                    if (book.CloseConnection(a)) {
                        ++closed;
                    }
                }
            });
        }
    }
    EXPECT_EQ(closed.load(), kLimit);
    EXPECT_EQ(book.OpenConnections(a), 0);
}

} // namespace
