#pragma once
// The debug bundle's one entry point: makes the debug window's controller
// on first call (observing `center`) and shows its window when it is not
// visible.
class BMNotificationCenter;

inline constexpr char kVesperlSharedInstanceSymbol[] = "vesperl_shared_instance";
extern "C" {
typedef void* (*VesperlSharedInstanceFunction)(BMNotificationCenter* center);
}
