#include "results/test_records.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

// What the end-to-end runs cannot show: a running time service, texts other
// than "0" and "1", slots without text, counts that are no number.
TEST(TestRecords, FunctionIdSelectsItsSlotAndArrays) {
  DatabaseConditions c;
  c.StatusSlots.Set(17, "1");
  c.ErrorCodeSlots.Set(17, "5");
  c.StatusSlots.Set(0, "zero");
  c.ClosingStatusSlots.Set(17, "closed");
  c.ClosingStatusSlots.Set(1, std::nullopt);
  const auto text = [&](int id, int timeServiceState) {
    const auto r = ResultForRecord(id, c, {timeServiceState, "1060"});
    return r ? r->status + "/" + r->errorCode + " " + std::string(r->label) : "none";
  };
  EXPECT_EQ(text(1017, 1), "1/5 Status and Errorcode");
  EXPECT_EQ(text(2017, 0), "0/1060 Status and Errorcode");
  EXPECT_EQ(text(1017, 2), "0/1060 Status and Errorcode");  // stopped, or any state but running
  EXPECT_EQ(text(3017, 0), "closed/0 Closing Status and Errorcode");
  EXPECT_EQ(text(3000, 1), "zero/0 Status and Errorcode");
  EXPECT_EQ(text(3001, 1), "none");
  EXPECT_EQ(PagesToRequest("-20"), 0);
  EXPECT_EQ(PagesToRequest("many"), 0);
  EXPECT_EQ(PagesToRequest("20"), 2);
}

}  // namespace
}  // namespace velkor
