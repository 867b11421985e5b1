#include "platform/Shell.h"
#include "platform/SystemText.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<void(const std::string &)> &Hook()
{
    static std::function<void(const std::string &)> hook;
    return hook;
}
} // namespace

void ShellOpen(const std::string &target)
{
    if (Hook()) {
        Hook()(target);
        return;
    }
    QDesktopServices::openUrl(QUrl(ToQ(target)));
}

void SetShellOpenHook(std::function<void(const std::string &)> hook)
{
    Hook() = std::move(hook);
}
