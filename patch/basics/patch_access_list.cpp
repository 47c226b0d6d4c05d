#include "patch_access_list.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

struct DaclOf {
    PACL pAcl = nullptr;
    bool bProtected = false;
};

bool readDacl(PSECURITY_DESCRIPTOR pDescriptor, DaclOf& dacl)
{
    BOOL bPresent = FALSE;
    BOOL bDefaulted = FALSE;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD dwRevision = 0;
    if (!GetSecurityDescriptorDacl(pDescriptor, &bPresent, &dacl.pAcl,
                                   &bDefaulted) ||
        !bPresent || dacl.pAcl == nullptr ||
        !GetSecurityDescriptorControl(pDescriptor, &control, &dwRevision))
        return false;
    dacl.bProtected = (control & SE_DACL_PROTECTED) != 0;
    return true;
}

// Only allow entries are ever written here; anything else differs.
bool isSameAllowEntry(const void* pFirst, const void* pSecond)
{
    const ACCESS_ALLOWED_ACE* pA =
        static_cast<const ACCESS_ALLOWED_ACE*>(pFirst);
    const ACCESS_ALLOWED_ACE* pB =
        static_cast<const ACCESS_ALLOWED_ACE*>(pSecond);
    if (pA->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
        pB->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
        return false;
    return pA->Header.AceFlags == pB->Header.AceFlags && pA->Mask == pB->Mask &&
           EqualSid(const_cast<DWORD*>(&pA->SidStart),
                    const_cast<DWORD*>(&pB->SidStart));
}

bool isSameAcl(PACL pFirst, PACL pSecond)
{
    if (pFirst->AceCount != pSecond->AceCount)
        return false;
    for (WORD wIndex = 0; wIndex < pFirst->AceCount; ++wIndex) {
        void* pA = nullptr;
        void* pB = nullptr;
        if (!GetAce(pFirst, wIndex, &pA) || !GetAce(pSecond, wIndex, &pB) ||
            !isSameAllowEntry(pA, pB))
            return false;
    }
    return true;
}

} // namespace

CPatchAccessList::CPatchAccessList(const wchar_t* szDescriptorText)
    : m_attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE}
{
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(
            szDescriptorText, SDDL_REVISION_1, &pDescriptor, nullptr))
        m_descriptor.reset(pDescriptor);
    m_attributes.lpSecurityDescriptor = m_descriptor.get();
}

bool CPatchAccessList::isOn(const CQBNWCharString& path) const
{
    DaclOf wanted;
    if (!isValid() || !readDacl(m_descriptor.get(), wanted))
        return false;
    PSECURITY_DESCRIPTOR pFound = nullptr;
    PACL pIgnored = nullptr;
    if (GetNamedSecurityInfoW(path.getText(), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &pIgnored, nullptr, &pFound) != ERROR_SUCCESS)
        return false;
    const CQBNUniqueLocalMemory found(pFound);
    DaclOf present;
    return readDacl(pFound, present) && present.bProtected &&
           wanted.bProtected && isSameAcl(present.pAcl, wanted.pAcl);
}
