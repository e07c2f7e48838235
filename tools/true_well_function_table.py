#!/usr/bin/env python3
"""Writes tests/data/true_well_function_table.txt: W(u, b) of the leaky well
function at a few hundred points, to 25 significant digits, for the tests of
engine::true_well_function and model::reference_well_function.

How each value is made (mpmath, 40 digits):
  - by mpmath.quad of the integral in t = ln(y/u),
        W = integral over t >= 0 of exp(-u e^t - c e^-t / u) dt,  c = b^2/4,
    cut at the integrand's peak, at points around it spaced in powers of 2
    of its width, and where exp(-y) starts to fall (in y also at halvings
    below the peak);
  - and again by mpmath.quad of the integral in y itself,
        W = integral over y >= u of exp(-y - c/y) / y dy,
    cut at the same places (in y);
  - where a closed form exists it is computed too: E1(u) for b = 0
    (mpmath.e1) and 2 K0(b) for u = 0 (mpmath.besselk).
The two quadratures, and the closed form where there is one, must agree to
30 digits, or the script stops. Points whose value lies below 1e-300 are
written as 0.

The points: u log-spaced from 1e-30 to 700 against b = 0 and log-spaced b from
1e-8 to 100; the places where the evaluation changes its method (u = b/2,
max(u, c/u) = 1, (sqrt(u) - b/(2 sqrt(u)))^2 = 9, b = 2), a little either
side; u = 0; and tiny u with small b.

Usage: python3 tools/true_well_function_table.py > tests/data/true_well_function_table.txt
"""

import sys

import mpmath as mp

mp.mp.dps = 40


def least_exponent(u, b):
    """The least value of y + c/y on [u, inf): the integrands are taken as
    exp(-(exponent - this)) and multiplied by exp(-this) at the end, so that
    mpmath's tolerance, which is absolute, is one relative to the value."""
    c = b * b / 4
    return u + c / u if u >= b / 2 else b


def exponent_floor(u, b):
    """An exponent past which the integrand is dropped: 2000 above its least
    value, so e^-2000 of the peak and below (mpmath would otherwise spend
    minutes on exp of numbers of millions of digits)."""
    return least_exponent(u, b) + 2000


def by_t(u, b):
    c = b * b / 4
    peak = max(u, mp.sqrt(c))
    t_peak = mp.log(peak / u)
    cuts = {mp.mpf(0), t_peak, mp.log(max(peak, 1) / u), mp.log(max(peak, 1) / u) + 5}
    # Around the peak, whose width in t is about 1/sqrt(b) for large b.
    h = min(mp.mpf(1), 1 / mp.sqrt(b)) / 2 if b > 0 else mp.mpf(1) / 2
    cuts |= {t_peak + sign * h * 2 ** k for k in range(9) for sign in (-1, 1) if t_peak + sign * h * 2 ** k > 0}
    cuts = sorted(cuts)
    floor = exponent_floor(u, b)

    least = least_exponent(u, b)

    def integrand(t):
        e = u * mp.exp(t) + c * mp.exp(-t) / u
        return mp.exp(least - e) if e < floor else mp.mpf(0)

    return mp.quad(integrand, cuts + [mp.inf]) * mp.exp(-least)


def by_y(u, b):
    c = b * b / 4
    peak = max(u, mp.sqrt(c))
    cuts = {u, peak, max(peak, 1), max(peak, 1) + 5}
    # Around the peak, whose width in y is about sqrt(b/2) for large b.
    h = mp.sqrt(max(b, 1) / 2) / 2
    cuts |= {peak + sign * h * 2 ** k for k in range(9) for sign in (-1, 1) if peak + sign * h * 2 ** k > u}
    # Below the peak, halving down to u or to where the integrand passes the floor.
    y = peak / 2
    while y > u and y > c / exponent_floor(u, b):
        cuts.add(y)
        y /= 2
    cuts = sorted(cuts)
    # On a log scale of y between u and the peak, where the integrand spans decades.
    if peak / u > 10:
        cuts = sorted(set(cuts) | {u * (peak / u) ** (mp.mpf(k) / 8) for k in range(1, 8)})
    if max(peak, 1) / peak > 10:
        cuts = sorted(set(cuts) | {peak * (1 / peak) ** (mp.mpf(k) / 8) for k in range(1, 8)})
    floor = exponent_floor(u, b)

    least = least_exponent(u, b)

    def integrand(y):
        e = y + c / y
        return mp.exp(least - e) / y if e < floor else mp.mpf(0)

    return mp.quad(integrand, cuts + [mp.inf]) * mp.exp(-least)


def value(u, b):
    u, b = mp.mpf(u), mp.mpf(b)
    if u == 0:
        return 2 * mp.besselk(0, b)
    c = b * b / 4
    exponent = u + c / u if u >= b / 2 else b
    if exponent > 740:
        return mp.mpf(0)
    a, y = by_t(u, b), by_y(u, b)
    checks = [y]
    if b == 0:
        checks.append(mp.e1(u))
    for other in checks:
        if abs(other - a) > mp.mpf(10) ** -30 * abs(a):
            sys.exit(f"disagreement at u {u} b {b}: {a} against {other}")
    return a if a > mp.mpf(10) ** -300 else mp.mpf(0)


def points():
    us = [10 ** (-30 + k * (mp.log10(700) + 30) / 48) for k in range(49)]
    bs = [0] + [10 ** (-8 + k * 10 / 20) for k in range(21)]
    out = []
    for b in bs:
        for u in us:
            out.append((u, b))
    # Where the method changes, a little either side.
    for b in [mp.mpf("0.01"), mp.mpf("0.5"), mp.mpf(1), mp.mpf("1.9"), mp.mpf(2), mp.mpf(3), mp.mpf(10), mp.mpf(40)]:
        for s in [mp.mpf("0.999"), mp.mpf(1), mp.mpf("1.001")]:
            out.append((b / 2 * s, b))                       # u = b/2
            out.append((b * b / 4 / s if b > 2 else s, b))    # u' = 1 (from above for b > 2)
            # w0^2 = 9: sqrt(u) - b/(2 sqrt(u)) = 3, sqrt(u) = (3 + sqrt(9 + 2b)) / 2.
            root = (3 + mp.sqrt(9 + 2 * b)) / 2
            out.append((root * root * s, b))
            out.append((b * b / 4 / (root * root * s), b))   # its mirror below b/2
    for b in [mp.mpf("1.999"), mp.mpf("2.001")]:
        out.append((mp.mpf("0.1"), b))
    for b in [mp.mpf("1e-9"), mp.mpf("1e-5"), mp.mpf(1), mp.mpf(7)]:
        out.append((mp.mpf(0), b))
    for u, b in [("1.301711393456739e-21", "1.8478497974222908e-05"), ("4.8899444078713502e-21", "2.5118864315095823e-06"),
                 ("1e-25", "1e-6"), ("1e-18", "3e-5"), ("1e-12", "1e-4")]:
        out.append((mp.mpf(u), mp.mpf(b)))
    return out


def main():
    print("# W(u, b) of the leaky well function: u, b (each exactly the double written) and W to 25 digits.")
    print("# Made by tools/true_well_function_table.py (two mpmath quadratures at 40 digits, and E1 or 2 K0")
    print("# where they apply, agreeing to 30 digits); 0 where W is below 1e-300.")
    for u, b in points():
        u, b = float(u), float(b)  # the doubles the tests pass
        print(f"{u!r} {b!r} {mp.nstr(value(u, b), 25)}", flush=True)


if __name__ == "__main__":
    main()
