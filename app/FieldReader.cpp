#include "app/FieldReader.h"

#include "field/FieldValue.h"
#include "app/Messages.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace field {

std::optional<int32_t> ReadNumeric(Messages &messages, const QLineEdit *edit,
                                   const QString &fieldName)
{
    const QString text = edit->text();
    const auto value = NumericValue(text);
    if (!value)
        messages.inform(OutOfRangeMessage(fieldName, text));
    return value;
}

std::optional<int32_t> ReadWhole(Messages &messages, const QLineEdit *edit,
                                 const QString &fieldName)
{
    const QString text = edit->text();
    const auto value = WholeNumber(text);
    if (!value) {
        if (WholeNumber(QString(text).replace(QRegularExpression(QStringLiteral("[0-9]+")),
                                              QStringLiteral("0"))))
            messages.inform(OutOfRangeMessage(fieldName, text));
        else
            messages.inform(NotANumberMessage(fieldName, text));
    }
    return value;
}

} // namespace field
