#pragma once

// The mouse pointer over every window of the application.
namespace Pointer {
constexpr int Arrow = 1; // the plain arrow, fixed over every window
constexpr int Busy = 11; // the hourglass
} // namespace Pointer

class AppPointer {
public:
    virtual ~AppPointer() = default;
    virtual void set(int pointer) = 0;
    virtual int current() const = 0; // 0 while no pointer has been set
};

class QtAppPointer : public AppPointer {
public:
    ~QtAppPointer() override;
    void set(int pointer) override;
    int current() const override { return m_current; }

private:
    int m_current = 0;
};
