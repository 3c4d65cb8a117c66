#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

// Root of every engine class. Carries an intrusive reference count that only Ref changes;
// the count is a plain integer because engine objects live on the application thread.
class Object {
public:
    Object() = default;
    virtual ~Object() = default;

    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    int referenceCount() const { return count_; }

private:
    template <class T> friend class Ref;

    void retain() { ++count_; }
    // Drops one count and destroys the object when none is left. Answers true if destroyed.
    bool release() {
        if (--count_ < 1) {
            delete this;
            return true;
        }
        return false;
    }

    int count_ = 0;
};

// Counted reference to an Object-derived instance, or null. Holders are one pointer wide.
// Assignment counts the new target before it releases the old one, so assigning the object a
// Ref already holds is harmless.
template <class T> class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    Ref(T* p) : p_(p) { retain(p_); }
    Ref(const Ref& other) : p_(other.p_) { retain(p_); }
    Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U>& other) : p_(other.get()) {
        retain(p_);
    }
    ~Ref() { reset(); }

    Ref& operator=(T* p) {
        retain(p);
        T* old = p_;
        p_ = p;
        releaseObject(old);
        return *this;
    }
    Ref& operator=(const Ref& other) { return *this = other.p_; }
    Ref& operator=(Ref&& other) noexcept {
        if (this != &other) {
            T* old = p_;
            p_ = other.p_;
            other.p_ = nullptr;
            releaseObject(old);
        }
        return *this;
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref& operator=(const Ref<U>& other) {
        return *this = other.get();
    }
    Ref& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Releases the held object (destroying it if this was the last holder) and leaves null.
    void reset() {
        T* old = p_;
        p_ = nullptr;
        releaseObject(old);
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    friend bool operator==(const Ref& a, std::nullptr_t) { return a.p_ == nullptr; }
    friend bool operator!=(const Ref& a, std::nullptr_t) { return a.p_ != nullptr; }
    friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }
    friend bool operator!=(const Ref& a, const Ref& b) { return a.p_ != b.p_; }

private:
    static void retain(T* p) {
        if (p)
            static_cast<Object*>(p)->retain();
    }
    static void releaseObject(T* p) {
        if (p)
            static_cast<Object*>(p)->release();
    }

    T* p_ = nullptr;
};

// Creates an object and hands it to a Ref at once (count 1).
template <class T, class... Args> Ref<T> makeRef(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

// Static cast between Refs of related types (the caller knows the dynamic type).
template <class T, class U> Ref<T> refCast(const Ref<U>& r) {
    return Ref<T>(static_cast<T*>(r.get()));
}
