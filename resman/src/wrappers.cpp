// The library-call wrappers: each reads its parameter record, calls the API
// function with the inputs in order and writes the return value into the
// record's last slot. A null record is ignored.

#include "wrappers.h"

#include "rsm_api.h"

extern "C" {

void rsm_classcreatefkt(RsmClassCreateFktParameters* p) {
  if (p) p->classHandle = RSM_ClassCreateFkt(p->freeFunction, p->entriesPerBlock, p->result);
}

void rsm_classdelete(RsmClassDeleteParameters* p) {
  if (p) p->result = RSM_ClassDelete(p->classHandle);
}

void rsm_classfree(RsmClassFreeParameters* p) {
  if (p) p->result = RSM_ClassFree(p->classHandle);
}

void rsm_getclass(RsmGetClassParameters* p) {
  if (p) p->classHandle = RSM_GetClass(p->object, p->result);
}

void rsm_getclassinfo(RsmGetClassInfoParameters* p) {
  if (p) p->result = RSM_GetClassInfo(p->classHandle, p->info);
}

void rsm_register(RsmRegisterParameters* p) {
  if (p) p->object = RSM_Register(p->classHandle, p->resource, p->result);
}

void rsm_unregister(RsmUnregisterParameters* p) {
  if (p) p->result = RSM_Unregister(p->object);
}

void rsm_getparent(RsmGetParentParameters* p) {
  if (p) p->parent = RSM_GetParent(p->object, p->result);
}

void rsm_setparent(RsmSetParentParameters* p) {
  if (p) p->result = RSM_SetParent(p->object, p->parent);
}

void rsm_getinfo(RsmGetInfoParameters* p) {
  if (p) p->result = RSM_GetInfo(p->info);
}

void rsm_getsupplierversion(RsmGetSupplierVersionParameters* p) {
  if (p) p->version = RSM_GetSupplierVersion(p->ignored);
}

// Unlike RSM_Check, it reports a free entry as resource 0 with success, and a
// null handle with its own code, leaving the return slot as it was.
void rsm_check(RsmCheckParameters* p) {
  if (p == nullptr) return;
  if (p->object == 0) {
    if (p->result) *p->result = RSM_RESULT_NULL_HANDLE;
    return;
  }
  uintptr_t resource = 0;
  bool valid = morvick::readEntryResource(p->object, &resource);
  p->resource = resource;
  if (p->result) *p->result = valid ? RSM_RESULT_OK : RSM_RESULT_INVALID;
}

}  // extern "C"
