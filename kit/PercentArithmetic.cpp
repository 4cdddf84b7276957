#include "kit/PercentArithmetic.h"

#include "app/data/Useful.h"

namespace kit {

namespace {

// The products in extended precision, as the amounts were computed before.
double percentOf(double amount, double percent) {
    return static_cast<double>(static_cast<long double>(amount) * percent * 0.01L);
}

double apply(app::RoundingRoutine slot, double amount, double percent) {
    if (percent == 0 || amount == 0) return 0;
    return slot(percentOf(amount, percent));
}

// Lowering steps after the search stay few (the percentage is already within half a step of five finer
// units); the bound only keeps a pathological amount from spinning.
constexpr int MaxLoweringSteps = 1000;

double find(app::RoundingRoutine slot, double amount, double part) {
    if (part == 0 || amount == 0) return 0;
    int d = 0;
    double p = 0, r = 0;
    do {
        p = app::RoundToDecimals(static_cast<double>(static_cast<long double>(part) / amount * 100.0L),
                                 static_cast<std::uint8_t>(d));
        r = slot(percentOf(amount, p));
        ++d;
        if (slot(part - r) == 0) break;
    } while (d <= 6);
    // A smaller percentage lowers the result of a positive amount and raises that of a negative one.
    const double step = PercentSteps[static_cast<std::size_t>(d - 1)];
    for (int i = 0; r > part && i < MaxLoweringSteps; ++i) {
        p = amount > 0 ? p - step : p + step;
        r = slot(percentOf(amount, p));
    }
    return app::RoundToDecimals(p, static_cast<std::uint8_t>(d));
}

} // namespace

double ApplyPercent1(double amount, double percent) {
    return apply(app::Useful.RoundSlot1, amount, percent);
}
double ApplyPercent2(double amount, double percent) {
    return apply(app::Useful.RoundSlot2, amount, percent);
}
double ApplyPercent3(double amount, double percent) {
    return apply(app::Useful.RoundSlot3, amount, percent);
}
double ApplyPercent4(double amount, double percent) {
    return apply(app::Useful.RoundSlot4, amount, percent);
}

double FindPercent1(double amount, double part) {
    return find(app::Useful.RoundSlot1, amount, part);
}
double FindPercent2(double amount, double part) {
    return find(app::Useful.RoundSlot2, amount, part);
}
double FindPercent3(double amount, double part) {
    return find(app::Useful.RoundSlot3, amount, part);
}
double FindPercent4(double amount, double part) {
    return find(app::Useful.RoundSlot4, amount, part);
}

} // namespace kit
