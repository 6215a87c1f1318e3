// Morvick's entry: the record exchange with the host, the registration of
// every wrapper and API function, and the binding of the host's functions.

#include "host_services.h"
#include "rsm_api.h"
#include "wrappers.h"

#include <component/export.h>
#include <component/frame.h>

namespace {

using component::asComponentFunction;
using component::ExportEntry;
using component::Registrar;

component::HostSlots hostSlots;

constexpr ExportEntry wrapper(const char* name, ComponentFunction function) {
  return {name, function, COMPONENT_LIBRARY_CALL, Registrar::Extended, 0, 0};
}

constexpr ExportEntry api(const char* name, ComponentFunction function) {
  return {name, function, COMPONENT_API_FUNCTION, Registrar::Plain, 0, 0};
}

// The host expects this order: every wrapper, then every API function.
const ExportEntry kExports[] = {
    wrapper("rsm_classfree", asComponentFunction(&rsm_classfree)),
    wrapper("rsm_getparent", asComponentFunction(&rsm_getparent)),
    wrapper("rsm_check", asComponentFunction(&rsm_check)),
    wrapper("rsm_getclassinfo", asComponentFunction(&rsm_getclassinfo)),
    wrapper("rsm_setparent", asComponentFunction(&rsm_setparent)),
    wrapper("rsm_register", asComponentFunction(&rsm_register)),
    wrapper("rsm_getsupplierversion", asComponentFunction(&rsm_getsupplierversion)),
    wrapper("rsm_getclass", asComponentFunction(&rsm_getclass)),
    wrapper("rsm_classcreatefkt", asComponentFunction(&rsm_classcreatefkt)),
    wrapper("rsm_getinfo", asComponentFunction(&rsm_getinfo)),
    wrapper("rsm_classdelete", asComponentFunction(&rsm_classdelete)),
    wrapper("rsm_unregister", asComponentFunction(&rsm_unregister)),
    api("RSM_RegisterNoCheck", asComponentFunction(&RSM_RegisterNoCheck)),
    api("RSM_GetSupplierVersion", asComponentFunction(&RSM_GetSupplierVersion)),
    api("RSM_GetInfo", asComponentFunction(&RSM_GetInfo)),
    api("RSM_Check", asComponentFunction(&RSM_Check)),
    api("RSM_Unregister", asComponentFunction(&RSM_Unregister)),
    api("RSM_GetParent", asComponentFunction(&RSM_GetParent)),
    api("RSM_SetParent", asComponentFunction(&RSM_SetParent)),
    api("RSM_Register", asComponentFunction(&RSM_Register)),
    api("RSM_GetClassInfo", asComponentFunction(&RSM_GetClassInfo)),
    api("RSM_GetClass", asComponentFunction(&RSM_GetClass)),
    api("RSM_ClassDelete", asComponentFunction(&RSM_ClassDelete)),
    api("RSM_ClassFree", asComponentFunction(&RSM_ClassFree)),
    api("RSM_ClassCreateFkt", asComponentFunction(&RSM_ClassCreateFkt)),
};

uint32_t exportFunctions() {
  // An export failure is logged only if importFunctions has bound LogAdd.
  return component::exportFunctions(hostSlots, kExports, RSM_COMPONENT_ID, morvick::hostfn::logAdd.get());
}

uint32_t importFunctions() { return morvick::hostfn::bindAll(hostSlots.getApiFunction); }

uint32_t getVersion() { return RSM_COMPONENT_VERSION; }

uint32_t hookEntry(uint32_t, uintptr_t, uintptr_t) { return 0; }

}  // namespace

COMPONENT_EXPORT uint32_t ComponentEntry(ComponentInitRecord* record) {
  if (record == nullptr) return 1;
  component::publishEntries(*record, {RSM_COMPONENT_ID, &exportFunctions, &importFunctions, &getVersion, &hookEntry},
                            hostSlots);
  if (hostSlots.hostNotify != nullptr) hostSlots.hostNotify(RSM_COMPONENT_ID, RSM_COMPONENT_ID);
  return 0;
}
