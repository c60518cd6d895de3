#include "cli/ordered_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace tavorin {
namespace {

struct Item {
    int number = 0;
    int result = 0;
    int delay = 0;  // microseconds of work
};

struct NoScratch {};
using Pool = OrderedPool<Item, NoScratch>;

TEST(OrderedPool, DeliversInSubmissionOrderWhateverTheWorkTakes) {
    for (const unsigned workers : {1u, 2u, 5u}) {
        SCOPED_TRACE(workers);
        std::vector<int> delivered;
        std::atomic<int> worked = 0;
        {
            Pool pool(
                workers, 4,
                [&](Item& item, NoScratch&) {
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
    for (const unsigned workers : {1u, 2u}) {
        SCOPED_TRACE(workers);
        std::vector<int> delivered;
        Pool pool(
            workers, 3, [](Item& item, NoScratch&) { item.result = item.number; },
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
    Pool pool(
        2, 2, [](Item&, NoScratch&) {}, [&](Item&) { return ++delivered > 0; });
    EXPECT_TRUE(pool.finish());
    EXPECT_EQ(delivered, 0);
    EXPECT_FALSE(pool.submit(std::make_unique<Item>()));  // nothing is taken after the end
    EXPECT_EQ(delivered, 0);
}

// Each worker thread has a scratch of its own, used on that thread only, and gone before
// finish() returns (no thread_local: see ordered_pool.h).
struct Scratch {
    std::thread::id owner = std::this_thread::get_id();
    inline static std::atomic<int> alive = 0;
    Scratch() { ++alive; }
    ~Scratch() { --alive; }
};

TEST(OrderedPool, EveryWorkerHasAScratchOfItsOwn) {
    std::atomic<int> foreign = 0;
    OrderedPool<Item, Scratch> pool(
        3, 6,
        [&](Item& item, Scratch& scratch) {
            if (scratch.owner != std::this_thread::get_id()) ++foreign;
            std::this_thread::sleep_for(std::chrono::microseconds(item.number % 50));
        },
        [](Item&) { return true; });
    for (int i = 0; i < 200; ++i) {
        auto item = std::make_unique<Item>();
        item->number = i;
        ASSERT_TRUE(pool.submit(std::move(item)));
    }
    EXPECT_TRUE(pool.finish());
    EXPECT_EQ(foreign, 0);
    EXPECT_EQ(Scratch::alive, 0);
}

// A throw in the work or in the delivery ends neither the program nor the pool: it stops
// the delivery after it, and finish() throws it on the submitting thread.
TEST(OrderedPool, AThrowStopsTheDeliveryAndReachesFinish) {
    for (const bool inWork : {true, false}) {
        SCOPED_TRACE(inWork);
        std::vector<int> delivered;
        Pool pool(
            2, 3,
            [&](Item& item, NoScratch&) {
                if (inWork && item.number == 7) throw std::runtime_error("work 7");
            },
            [&](Item& item) {
                if (!inWork && item.number == 7) throw std::runtime_error("delivery 7");
                delivered.push_back(item.number);
                return true;
            });
        for (int i = 0; i < 1000; ++i) {
            auto item = std::make_unique<Item>();
            item->number = i;
            if (!pool.submit(std::move(item))) break;
        }
        EXPECT_THROW(pool.finish(), std::runtime_error);
        EXPECT_FALSE(pool.finish());  // said once; the pool stays stopped
        ASSERT_LE(delivered.size(), 7u);
        if (!inWork) {
            EXPECT_EQ(delivered.size(), 7u);
        }
        for (std::size_t i = 0; i < delivered.size(); ++i) {
            EXPECT_EQ(delivered[i], static_cast<int>(i));
        }
    }
}

}  // namespace
}  // namespace tavorin
