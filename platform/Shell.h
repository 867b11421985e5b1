#pragma once
// Opening a document or web page with the desktop's default program. Failures
// are ignored, as the callers expect. Tests install a hook to see the calls.
#include <functional>
#include <string>

void ShellOpen(const std::string &target);
// Replaces the real shell call; an empty function restores it.
void SetShellOpenHook(std::function<void(const std::string &)> hook);
