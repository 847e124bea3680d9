// Every model's decoding of its button byte, and the list of models.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BMDeviceInfoManager.h"
#include "BMDeviceInfoModels.h"

namespace {

struct Decode {
  uint8_t byte;
  int status;
  std::u16string command;  // empty: none due
};

struct ModelCase {
  const char* name;
  std::shared_ptr<BMDeviceInfo> (*make)();
  std::vector<Decode> steps;  // decoded in order on one model object
};

std::u16string CommandOf(const BMDeviceInfo& info) {
  auto n = info.notificationForCurrentStatus();
  return n ? n->commandLine() : u"";
}

TEST(BMDeviceInfo, EveryModelDecodesItsButtonByte) {
  const std::vector<Decode> recordSwitch = {
      {0xFF, 0, u""},                  // the first byte is the baseline
      {0xFE, 3, u"-Capture/Record"},   // goes down
      {0xFE, 3, u""},                  // stays down
      {0x00, 3, u""},                  // other bits do not matter
      {0xFF, 0, u"-Capture/Record"},   // comes up
      {0xFD, 0, u""},                  // stays up
  };
  const std::vector<ModelCase> cases = {
      {"Kestrune", [] { return std::shared_ptr<BMDeviceInfo>(std::make_shared<BMDeviceInfoKestrune>()); },
       {
           {0xFF, 0, u""},
           {0xBF, 1, u"-Capture/Zoomin"},
           {0xBF, 1, u"-Capture/Zoomin"},  // a held zoom button: a command at every decode
           {0xFD, 2, u"-Capture/Zoomout"},
           {0xBD, 1, u"-Capture/Zoomin"},  // both down: zoom in wins
           {0xFE, 0, u""},                 // the record bit means nothing here
           {0x00, 1, u"-Capture/Zoomin"},
       }},
      {"Lumbrel", [] { return std::shared_ptr<BMDeviceInfo>(std::make_shared<BMDeviceInfoLumbrel>()); },
       recordSwitch},
      {"Quorvin", [] { return std::shared_ptr<BMDeviceInfo>(std::make_shared<BMDeviceInfoQuorvin>()); },
       recordSwitch},
  };
  for (const ModelCase& c : cases) {
    auto info = c.make();
    EXPECT_EQ(info->buttonStatusForCurrentStatus(), 0) << c.name;
    EXPECT_EQ(info->notificationForCurrentStatus(), nullptr) << c.name;
    EXPECT_EQ(info->addressArray(), std::vector<int>{0x84}) << c.name;
    EXPECT_EQ(info->venderId(), 0x04B8) << c.name;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      info->setCurrentStatus({c.steps[i].byte});
      EXPECT_EQ(info->buttonStatusForCurrentStatus(), c.steps[i].status) << c.name << " step " << i;
      EXPECT_EQ(CommandOf(*info), c.steps[i].command) << c.name << " step " << i;
    }
  }
}

TEST(BMDeviceInfo, AnythingButOneByteLeavesTheLastDecode) {
  BMDeviceInfoKestrune zoom;
  zoom.setCurrentStatus({0xBF});
  auto before = zoom.notificationForCurrentStatus();
  for (const std::vector<uint8_t>& bytes : {std::vector<uint8_t>{}, std::vector<uint8_t>{0xFD, 0xFD}}) {
    zoom.setCurrentStatus(bytes);
    EXPECT_EQ(zoom.buttonStatusForCurrentStatus(), 1);
    EXPECT_EQ(zoom.notificationForCurrentStatus(), before);
  }
}

TEST(BMDeviceInfo, ASwitchMovedWhileTheCameraWasAwayTogglesNothing) {
  BMDeviceInfoLumbrel record;
  record.setCurrentStatus({0xFF});
  record.setCurrentStatus({0xFE});  // recording started
  ASSERT_EQ(CommandOf(record), u"-Capture/Record");
  // Unplugged with the switch down, plugged in again with it up.
  record.resetBaseline();
  record.setCurrentStatus({0xFF});
  EXPECT_EQ(record.buttonStatusForCurrentStatus(), 0);
  EXPECT_EQ(CommandOf(record), u"");
  // From then on changes count again.
  record.setCurrentStatus({0xFE});
  EXPECT_EQ(CommandOf(record), u"-Capture/Record");
}

TEST(BMDeviceInfo, CommandsAreThirtyTwoUnitBlocks) {
  const std::vector<std::pair<int, std::u16string>> table = {
      {1, u"-Capture/Zoomin"}, {2, u"-Capture/Zoomout"}, {3, u"-Capture/Record"}};
  for (const auto& [status, text] : table) {
    auto n = BMNotification::initWithBtnStatus(status);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->commandLine(), text);
    // The longest text leaves room for its terminating zero; the rest is zeros.
    for (size_t i = text.size(); i < BMNotification::kBlockUnits; ++i) EXPECT_EQ(n->block()[i], u'\0');
  }
  for (int status : {-1, 0, 4}) EXPECT_EQ(BMNotification::initWithBtnStatus(status), nullptr) << status;
}

TEST(BMDeviceInfoManager, ListsRecordModelsFirstAndFindsByProduct) {
  BMDeviceInfoManager models;
  std::vector<int32_t> products;
  for (const auto& m : models.supportedDeviceArray()) products.push_back(m->productId());
  EXPECT_EQ(products, (std::vector<int32_t>{0x0C05, 0x0C02, 0x0F01}));
  EXPECT_EQ(models.deviceInfoWithProductId(0x0C02), models.supportedDeviceArray()[1]);
  EXPECT_EQ(models.deviceInfoWithProductId(0x1234), nullptr);
  EXPECT_EQ(&BMDeviceInfoManager::sharedInstance(), &BMDeviceInfoManager::sharedInstance());
}

}  // namespace
