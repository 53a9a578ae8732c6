// A callable handed to a function that calls it before it returns: the address of the callable
// and of a function that calls it. Unlike std::function it neither copies nor owns the callable,
// so it never allocates, and it brings no per-callable manager code into every Setup.exe. Never
// keep one beyond the call it was passed to.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace ko {

template <class Signature>
class TFunctionRef;

template <class R, class... Args>
class TFunctionRef<R(Args...)> {
public:
    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, TFunctionRef> &&
                                                std::is_invocable_r_v<R, F&, Args...>>>
    TFunctionRef(F&& callable)
        : FCallable(Address(callable)), FCall(&Call<std::remove_reference_t<F>>) {}

    R operator()(Args... args) const { return FCall(FCallable, std::forward<Args>(args)...); }

private:
    // A function is called through its own address, anything else through the object's.
    template <class T>
    static void* Address(T& callable) {
        if constexpr (std::is_function_v<T>)
            return reinterpret_cast<void*>(&callable);
        else
            return const_cast<void*>(static_cast<const void*>(std::addressof(callable)));
    }
    template <class T>
    static R Call(void* target, Args... args) {
        if constexpr (std::is_function_v<T>)
            return reinterpret_cast<T*>(target)(std::forward<Args>(args)...);
        else
            return (*static_cast<T*>(target))(std::forward<Args>(args)...);
    }

    void* FCallable;
    R (*FCall)(void*, Args...);
};

} // namespace ko
