// The manager the thread hook reports to: the hook procedure has no context argument.
#pragma once

namespace skin {

class TSkinManage;

TSkinManage* HookOwner();
void SetHookOwner(TSkinManage* manager);

}  // namespace skin
