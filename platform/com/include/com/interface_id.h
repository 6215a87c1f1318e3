#pragma once

// Ties an interface type to its published identifier, so that helper code can
// ask an object for an interface by type (com::iidOf<IFoo>(), IID_PPV_ARGS)
// instead of repeating the identifier next to every cast. Declaring the tie
// outside the interface keeps the interface itself a plain COM declaration.
//
//   COM_DECLARE_INTERFACE(IPersistFile, IID_IPersistFile, IPersist);
//
// names the interface, its identifier and the interface it derives from
// (IUnknown for most), so that an object implementing IPersistFile also
// answers a request for IPersist. The declaration goes at global scope, after
// the interface.

#include <type_traits>

#include "com/guid.h"

struct IUnknown;

namespace com {

template <class Interface>
struct InterfaceTraits;  // Specialised by COM_DECLARE_INTERFACE for every interface.

template <class Interface>
constexpr const IID& iidOf() {
  return InterfaceTraits<std::remove_cv_t<Interface>>::iid;
}

// True when riid names Interface or one of the interfaces it derives from,
// IUnknown excluded (every object answers IUnknown with its one identity).
template <class Interface>
bool answersIid(REFIID riid) {
  using Traits = InterfaceTraits<Interface>;
  if (IsEqualIID(riid, Traits::iid)) return true;
  if constexpr (std::is_same_v<typename Traits::Base, IUnknown>) {
    return false;
  } else {
    return answersIid<typename Traits::Base>(riid);
  }
}

namespace detail {
// The COM interface a type stands for: the type itself, or for a helper class
// that implements an interface for an object (com::ConnectionPointContainer)
// the interface named by its traits' Interface member.
template <class T, class = void>
struct ExposedInterface {
  using type = T;
};
template <class T>
struct ExposedInterface<T, std::void_t<typename InterfaceTraits<T>::Interface>> {
  using type = typename InterfaceTraits<T>::Interface;
};

// Lets IID_PPV_ARGS accept only pointers to interface pointers.
template <class Interface>
void** ppvArgs(Interface** pointer) {
  return reinterpret_cast<void**>(pointer);
}
}  // namespace detail

}  // namespace com

#define COM_DECLARE_INTERFACE(Interface, Iid, BaseInterface)       \
  template <>                                                      \
  struct com::InterfaceTraits<Interface> {                         \
    static_assert(std::is_base_of_v<BaseInterface, Interface>,     \
                  #Interface " must derive from " #BaseInterface); \
    static constexpr const IID& iid = Iid;                         \
    using Base = BaseInterface;                                    \
  }

// The identifier and the untyped out-parameter of an interface pointer, as
// QueryInterface, CoCreateInstance and friends take them.
#define IID_PPV_ARGS(pointer)                                                      \
  ::com::iidOf<std::remove_pointer_t<std::remove_pointer_t<decltype(pointer)>>>(), \
      ::com::detail::ppvArgs(pointer)
