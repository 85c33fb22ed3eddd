#include "timersource.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using calixo::ManualTimerSource;

namespace {
struct Recorder {
  std::vector<std::pair<int64_t, std::string>> fired;
};
}  // namespace

TEST(ManualTimerSource, PeriodicTimerFiresEveryIntervalWhileEnabled) {
  ManualTimerSource src;
  Recorder rec;
  auto t = src.createTimer();
  t->setInterval(1000);
  t->OnTimer = [&] { rec.fired.emplace_back(src.now(), "t"); };
  src.advance(5000);
  EXPECT_TRUE(rec.fired.empty());  // disabled at creation
  t->setEnabled(true);
  src.advance(3500);
  ASSERT_EQ(rec.fired.size(), 3u);
  EXPECT_EQ(rec.fired[0].first, 6000);
  EXPECT_EQ(rec.fired[2].first, 8000);
  t->setEnabled(false);
  src.advance(10000);
  EXPECT_EQ(rec.fired.size(), 3u);
}

TEST(ManualTimerSource, EnablingAgainStartsAFullInterval) {
  ManualTimerSource src;
  std::vector<int64_t> fired;
  auto t = src.createTimer();
  t->OnTimer = [&] { fired.push_back(src.now()); };
  t->setInterval(3000);
  t->setEnabled(true);
  src.advance(2000);
  t->setEnabled(false);
  t->setEnabled(true);
  src.advance(2999);
  EXPECT_TRUE(fired.empty());
  src.advance(1);
  EXPECT_EQ(fired, (std::vector<int64_t>{5000}));
}

TEST(ManualTimerSource, TiesFireInCreationOrderAndHandlersMayNestAdvance) {
  ManualTimerSource src;
  std::vector<std::string> order;
  auto a = src.createTimer();
  auto b = src.createTimer();
  a->setInterval(1000);
  b->setInterval(1000);
  b->setEnabled(true);
  a->setEnabled(true);
  bool nested = false;
  a->OnTimer = [&] { order.push_back("a@" + std::to_string(src.now())); };
  b->OnTimer = [&] {
    order.push_back("b@" + std::to_string(src.now()));
    if (!nested) {
      nested = true;  // a modal box: time goes on inside the handler
      b->setEnabled(false);
      src.advance(1500);
    }
  };
  src.advance(2000);
  EXPECT_EQ(order, (std::vector<std::string>{"a@1000", "b@1000", "a@2000"}));
  EXPECT_EQ(src.now(), 2500);
}
