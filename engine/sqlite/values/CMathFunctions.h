#pragma once

// Values: the server's numeric functions beyond arithmetic.
struct sqlite3;

// Called by the text CSqlEmitter writes; NULL in, NULL out; text read as
// a number (ORA-01722 when it is none):
//   ORA_ACOS ... ORA_TANH, ORA_EXP, ORA_LN, ORA_LOG(base, x)   through
//       doubles, the result kept to 15 significant digits; ORA-01428 for an
//       argument outside the function's domain
//   ORA_SQRT(x)                 exact to the server's digits
//   ORA_BITAND(a, b)            of the whole parts
//   ORA_REMAINDER(n2, n1)       n2 − n1·N, N the whole number nearest
//       n2/n1 (the even one of two)
//   ORA_WIDTH_BUCKET(x, low, high, n)   the bucket of x among n equal ones
class CMathFunctions {
public:
    static bool Register(sqlite3* db);
};
