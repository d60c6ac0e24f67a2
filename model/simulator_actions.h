// SPDX-License-Identifier: GPL-3.0-or-later
// The seven actions behind the calculator's buttons. They hold no numbers
// between calls: every input and output is the text of one of ten fields,
// reached through FieldAccess. Each action reads its fields, computes, and
// writes its one result field as its last step, or throws RunTimeError having
// written nothing.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace cotalia {

// The ten text boxes, named as the window names them.
enum class Field {
  Text1,   // current value of the share, "Valor Actual"
  Text2,   // expected return, percent a year, "Rendimiento"
  Text3,   // volatility, percent a year, "Volatilidad"
  Text4,   // horizon in months, "Tiempo"
  Text5,   // lower end of the 95% band, "Precio Minimo"
  Text6,   // upper end of the band, "Precio Maximo"
  Text7,   // expected price, "Precio Esperado"
  Text8,   // standard deviation of the price, "Variacion esperada"
  Text9,   // mean of the log price, "Media Dn"
  Text10,  // standard deviation of the log price, "Volatilidad Dn"
};

inline constexpr std::size_t kFieldCount = 10;

constexpr std::size_t IndexOf(Field field) { return static_cast<std::size_t>(field); }

// Texts are UTF-8. Either operation may throw RunTimeError; the actions let it
// pass.
class FieldAccess {
 public:
  virtual ~FieldAccess() = default;
  virtual std::string GetFieldText(Field field) = 0;
  virtual void SetFieldText(Field field, std::string_view text) = 0;
};

// Ten texts in memory that start as one blank each, like the window's boxes.
class InMemoryFields : public FieldAccess {
 public:
  std::string GetFieldText(Field field) override { return texts_[IndexOf(field)]; }
  void SetFieldText(Field field, std::string_view text) override { texts_[IndexOf(field)] = text; }

 private:
  std::array<std::string, kFieldCount> texts_{" ", " ", " ", " ", " ", " ", " ", " ", " ", " "};
};

// Mean of the log price at the horizon, ln S + (r - v^2/2) t/12, into Text9.
void ComputeLogMean(FieldAccess& fields);
// Standard deviation of the log price, v sqrt(t/12), into Text10.
void ComputeLogDeviation(FieldAccess& fields);
// exp(mean - 1.96 deviation), from Text9 and Text10, into Text5.
void ComputeMinimumPrice(FieldAccess& fields);
// exp(mean + 1.96 deviation), from Text9 and Text10, into Text6.
void ComputeMaximumPrice(FieldAccess& fields);
// S exp(r t/12), into Text7.
void ComputeExpectedPrice(FieldAccess& fields);
// S sqrt((exp(v^2 t/12) - 1) exp(2 r t/12)), into Text8.
void ComputePriceDeviation(FieldAccess& fields);
// Empties all ten fields, Text1 first.
void ClearFields(FieldAccess& fields);

}  // namespace cotalia
