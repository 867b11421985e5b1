#pragma once
// The model written out again, independently of the program, to check its
// results against: plain formulas in double, no guard, no care for range.

// S = -ln N/N0 of the dispersion model; it rises with Bo.
double SOf(double Da, double Bo);
// The Bo in [Lo, Hi] with SOf(Da, Bo) = S, by bisection.
double BoOf(double Da, double S, double Lo, double Hi);
// S of n tanks in series.
double STanksOf(double n, double Da);
// The Bo that n tanks in series correspond to.
double BoOfCells(double n);
