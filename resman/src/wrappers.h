#pragma once

// The library-call wrappers the control program calls, one parameter record each.

#include <resman/rsm.h>

extern "C" {
void rsm_classcreatefkt(RsmClassCreateFktParameters* p);
void rsm_classdelete(RsmClassDeleteParameters* p);
void rsm_classfree(RsmClassFreeParameters* p);
void rsm_getclass(RsmGetClassParameters* p);
void rsm_getclassinfo(RsmGetClassInfoParameters* p);
void rsm_register(RsmRegisterParameters* p);
void rsm_unregister(RsmUnregisterParameters* p);
void rsm_getparent(RsmGetParentParameters* p);
void rsm_setparent(RsmSetParentParameters* p);
void rsm_getinfo(RsmGetInfoParameters* p);
void rsm_getsupplierversion(RsmGetSupplierVersionParameters* p);
void rsm_check(RsmCheckParameters* p);
}
