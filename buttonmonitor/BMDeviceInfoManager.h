#pragma once
// The supported camera models, one instance each for the process: a model's
// record state and last command survive unplugging and a new USB core.
#include <memory>
#include <vector>

#include "BMDeviceInfo.h"

class BMDeviceInfoManager {
 public:
  // The process's manager, made on first use (safe from any thread).
  static BMDeviceInfoManager& sharedInstance();

  // A manager of its own (tests).
  BMDeviceInfoManager() { makeDeviceInfoList(); }

  const std::vector<std::shared_ptr<BMDeviceInfo>>& supportedDeviceArray() const { return _supportedDeviceArray; }
  // The first model with this product id; null when none.
  std::shared_ptr<BMDeviceInfo> deviceInfoWithProductId(long productId) const;

 private:
  void makeDeviceInfoList();
  std::vector<std::shared_ptr<BMDeviceInfo>> _supportedDeviceArray;
};
