#pragma once

namespace UtilityFunctions {

bool GetPropertyList();
bool GetLicensingLogs();
bool GetInstallLogs();
void GetIPMLogs();

}  // namespace UtilityFunctions
