// The policy shared by the vendor's products: every location is searched,
// policies branch first, and a fixed set of settings is registered under
// vendor "Ostrel", product "QBN Common".
#ifndef QBN_COMMON_POLICY_H
#define QBN_COMMON_POLICY_H

#include "qbn_product_policy.h"

// The IDs of the common settings.
enum CQBNCommonPolicySetting : unsigned long {
    cpsUsingEmulator = 0,
    cpsVRNInstall = 1,
    cpsVRN6VRNInstall = 2,
    cpsAdminUser = 3,
    cpsPreferInternalFPSensor = 4,
    cpsFPSwipeResult = 5,
    cpsWindowsPasswordRecoveryGUIOption = 6,
    cpsPDALogonGUIOption = 7,
    cpsSystemType = 8,
    cpsDisableHotfixMessage = 9,
    cpsPasswordRecoveryEnabled = 10,
    cpsWizardGUIOption = 11
};

class CQBNCommonPolicy : public CQBNProductPolicy {
public:
    // Lets out the failure of a setting that cannot be built.
    CQBNCommonPolicy();

private:
    void registerDwordSettings();
    void registerStringSettings();
};

#endif
