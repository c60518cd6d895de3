#include "cli/ordered_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

namespace tavorin {
namespace {

struct Item {
    int number = 0;
    int result = 0;
    int delay = 0;  // microseconds of work
};

TEST(OrderedPool, DeliversInSubmissionOrderWhateverTheWorkTakes) {
    for (const unsigned workers : {0u, 1u, 2u, 5u}) {  // 0: inline, on the caller's thread
        SCOPED_TRACE(workers);
        std::vector<int> delivered;
        std::atomic<int> worked = 0;
        {
            OrderedPool<Item> pool(
                workers, 4,
                [&](Item& item) {
                    std::this_thread::sleep_for(std::chrono::microseconds(item.delay));
                    item.result = item.number * 3;
                    ++worked;
                },
                [&](Item& item) {
                    delivered.push_back(item.result);
                    return true;
                });
            std::mt19937 random(workers);
            for (int i = 0; i < 300; ++i) {
                auto item = std::make_unique<Item>();
                item->number = i;
                item->delay = static_cast<int>(random() % 300);
                ASSERT_TRUE(pool.submit(std::move(item)));
            }
            EXPECT_TRUE(pool.finish());
        }
        ASSERT_EQ(delivered.size(), 300u);
        for (int i = 0; i < 300; ++i) ASSERT_EQ(delivered[i], i * 3);
        EXPECT_EQ(worked, 300);
    }
}

TEST(OrderedPool, AFailedDeliveryStopsEverythingAfterIt) {
    for (const unsigned workers : {0u, 2u}) {
        SCOPED_TRACE(workers);
        std::vector<int> delivered;
        OrderedPool<Item> pool(
            workers, 3, [](Item& item) { item.result = item.number; },
            [&](Item& item) {
                delivered.push_back(item.result);
                return item.number != 10;
            });
        int accepted = 0;
        for (int i = 0; i < 1000; ++i) {
            auto item = std::make_unique<Item>();
            item->number = i;
            if (!pool.submit(std::move(item))) break;
            ++accepted;
        }
        EXPECT_FALSE(pool.finish());
        EXPECT_LT(accepted, 1000);  // the reader was told to stop
        ASSERT_EQ(delivered.size(), 11u);
        for (int i = 0; i <= 10; ++i) EXPECT_EQ(delivered[i], i);
    }
}

TEST(OrderedPool, NothingSubmittedFinishesAtOnce) {
    int delivered = 0;
    OrderedPool<Item> pool(
        2, 2, [](Item&) {}, [&](Item&) { return ++delivered > 0; });
    EXPECT_TRUE(pool.finish());
    EXPECT_EQ(delivered, 0);
}

}  // namespace
}  // namespace tavorin
