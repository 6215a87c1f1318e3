// The stub of IPersistFile.

#include "method_tables.h"

#include "com/interfaces/persist.h"

namespace opcwire::detail {

// ---- IPersistFile

std::map<std::uint16_t, Method> persistFileMethods() {
  using I = IPersistFile;
  return {
      {op(PersistFileOp::getClassId),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           GuidOut out;
           out.result = call.as<I>()->GetClassID(&out.value);
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::isDirty), resultMethod<I>([](I* self) { return self->IsDirty(); })},
      {op(PersistFileOp::load),
       [](Call& call) {
         return handle<LoadIn>(call, [&](LoadIn& in) {
           ResultOut out;
           out.result = call.as<I>()->Load(in.fileName.c_str(), in.mode);
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::save),
       [](Call& call) {
         return handle<SaveIn>(call, [&](SaveIn& in) {
           ResultOut out;
           out.result = call.as<I>()->Save(textOrNull(in.fileName), in.remember);
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::saveCompleted),
       [](Call& call) {
         return handle<OptionalTextIn>(call, [&](OptionalTextIn& in) {
           ResultOut out;
           out.result = call.as<I>()->SaveCompleted(textOrNull(in.text));
           return call.reply(out);
         });
       }},
      {op(PersistFileOp::getCurFile),
       [](Call& call) {
         return handle<NoIn>(call, [&](NoIn&) {
           TextOut out;
           LPWSTR text = nullptr;
           out.result = call.as<I>()->GetCurFile(&text);
           out.text = takeText(text);
           return call.reply(out);
         });
       }},
  };
}

}  // namespace opcwire::detail
