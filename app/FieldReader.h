#pragma once
// Reading a number out of a field for a command, with the message the user
// sees when the number cannot be sent as it stands.

#include <QString>

#include <cstdint>
#include <optional>

class Messages;
class QLineEdit;

namespace field {

// The numeric value of the field; a number outside the 32-bit range shows a
// message naming the field and gives nothing, so the command sends nothing.
std::optional<int32_t> ReadNumeric(Messages &messages, const QLineEdit *edit,
                                   const QString &fieldName);

// The whole text must be a number; otherwise a message naming the field.
std::optional<int32_t> ReadWhole(Messages &messages, const QLineEdit *edit,
                                 const QString &fieldName);

} // namespace field
