#pragma once
// Shared ownership for views and bitmaps: the count starts at 1 for the
// creator; remember adds an owner, forget drops one and deletes the object
// when none is left.

class CReferenceCounter {
public:
    CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;

    void remember() { ++nbReference_; }
    void forget()
    {
        if (--nbReference_ == 0)
            delete this;
    }
    int getNbReference() const { return nbReference_; }

protected:
    // Only forget deletes, so that no owner is left holding a dangling pointer.
    virtual ~CReferenceCounter() = default;

private:
    int nbReference_ = 1;
};
