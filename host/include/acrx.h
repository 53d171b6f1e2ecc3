// Run-time classes, the system registry and the module protocol of the host.
#pragma once
#include "hostapi.h"

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
    kDependencyMsg = 10,
    kNoDependencyMsg = 11,
    kOleUnloadAppMsg = 12,
    kPreQuitMsg = 13,
    kInitDialogMsg = 14,
    kEndDialogMsg = 15
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
enum Ordering { kLessThan = -1, kEqual = 0, kGreaterThan = 1, kNotOrderable = 2 };
} // namespace AcRx

namespace Acad {
enum ErrorStatus {
    eOk = 0,
    eNotImplemented = 1,
    eInvalidInput = 3,
    eKeyNotFound = 6,
    eDuplicateKey = 7,
    eFileNotFound = 45,
    eFileAccessErr = 46,
    eFileSharingViolation = 47,
    eNotApplicable = 49,
    eLockViolation = 128
};
}

// Version of the module protocol; a module must report the same.
#define ACRX_API_VERSION 15

class AcRxClass;

class HOST_API AcRxObject {
  public:
    virtual ~AcRxObject();
    virtual AcRxClass* isA() const;
    virtual AcRxObject* clone() const;
    virtual Acad::ErrorStatus copyFrom(const AcRxObject* other);
    virtual bool isEqualTo(const AcRxObject* other) const;
    virtual AcRx::Ordering comparedTo(const AcRxObject* other) const;
    static AcRxClass* desc();
    bool isKindOf(const AcRxClass* cls) const;
};

class HOST_API AcRxClass : public AcRxObject {
  public:
    AcRxClass(const char* name, AcRxClass* parent);
    virtual AcRxClass* isA() const;
    static AcRxClass* desc();
    const char* name() const { return name_; }
    AcRxClass* myParent() const { return parent_; }
    bool isDerivedFrom(const AcRxClass* other) const;

  private:
    const char* name_;
    AcRxClass* parent_;
};

class HOST_API AcRxDictionary : public AcRxObject {
  public:
    virtual AcRxClass* isA() const;
    static AcRxClass* desc();
    virtual AcRxObject* at(const char* key) const = 0;
};

class HOST_API AcRxDynamicLinker : public AcRxObject {
  public:
    virtual AcRxClass* isA() const;
    static AcRxClass* desc();
    virtual bool registerAppMDIAware(void* appId) = 0;
};

// "ClassDictionary", "DynamicLinker", "ACAD_REGISTERED_COMMANDS", "AcEditor".
HOST_API AcRxDictionary* acrxSysRegistry();
HOST_API bool acrxBuildClassHierarchy();
HOST_API bool acrxLockApplication(void* appId);
HOST_API bool acrxUnlockApplication(void* appId);
// The host's registry key below HKEY_CURRENT_USER.
HOST_API const char* acrxProductKey();

typedef AcRx::AppRetCode (*AcRxEntryPointFn)(AcRx::AppMsgCode msg, void* appId);
