#include "BMDeviceInfoManager.h"

#include "BMDeviceInfoModels.h"

BMDeviceInfoManager& BMDeviceInfoManager::sharedInstance() {
  // Made once under the language's initialisation lock, never freed.
  static BMDeviceInfoManager* shared = new BMDeviceInfoManager();
  return *shared;
}

void BMDeviceInfoManager::makeDeviceInfoList() {
  // Record models first: with two cameras the record model is taken.
  _supportedDeviceArray = {std::make_shared<BMDeviceInfoQuorvin>(), std::make_shared<BMDeviceInfoLumbrel>(),
                           std::make_shared<BMDeviceInfoKestrune>()};
}

std::shared_ptr<BMDeviceInfo> BMDeviceInfoManager::deviceInfoWithProductId(long productId) const {
  for (const auto& info : _supportedDeviceArray) {
    if (info->productId() == productId) return info;
  }
  return nullptr;
}
