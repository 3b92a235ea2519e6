#include "removal/DeletionSettings.h"

#include "config/SettingsStore.h"
#include "removal/RemovalHost.h"

namespace mirabel {

DeletionSettings LoadDeletionSettings(const RemovalHost& host) {
    const auto flag = [&host](const DeleteSetting& setting) {
        return SettingIsTrue(ReadDeleteSetting(host, setting));
    };
    DeletionSettings settings;
    settings.m_bBySize = flag(kBySize);
    settings.m_bByDate = flag(kByDate);
    settings.m_strNumbDays = ReadDeleteSetting(host, kNumbDays);
    settings.m_strNumbGBytes = ReadDeleteSetting(host, kNumbGBytes);
    settings.m_strTempDays = ReadDeleteSetting(host, kTempDays);
    settings.m_bTempDel = flag(kTempDel);
    settings.m_bSkip = flag(kSkip);
    settings.m_bVerifyFolderCopies = flag(kVerifyFolderCopies);
    settings.m_strMaxDeletePercent = ReadDeleteSetting(host, kMaxDeletePercent);
    return settings;
}

std::string ReadDeleteSetting(const RemovalHost& host, const DeleteSetting& setting) {
    return host.GetSetting(kDeleteSection, setting.key, setting.defaultValue);
}

void StoreDeleteSetting(RemovalHost& host, const DeleteSetting& setting, const std::string& text) {
    host.SetSetting(kDeleteSection, setting.key, text);
}

void StoreDeleteSetting(RemovalHost& host, const DeleteSetting& setting, bool value) {
    StoreDeleteSetting(host, setting, std::string(BoolToSetting(value)));
}

}  // namespace mirabel
