// Each operation through the library's encoder, the terminal's decoder with
// a stand-in engine, and back into the caller's places: no socket, no
// second process. The byte counts are the documented wire.
#include "terminal/line/OperationCodec.h"

#include <QTest>

#include <string>
#include <vector>

using namespace terminal::line;

namespace {

constexpr int32_t kTextLength = 4; // the length given before a text, where there is one
constexpr char kWrittenName[] = "PONTO_00 ";

// The values a caller passes, and the places it gets results in.
struct Caller
{
    std::array<std::string, 16> texts;
    std::array<int32_t, 16> numbers{};
    std::array<uint8_t, 16> bytes{};
    std::array<char, 16> name{};
};

int32_t GivenNumber(std::size_t i)
{
    return -1000003 * int32_t(i + 1);
}

template <typename P>
P Given(Caller &c, std::string_view shape, std::size_t i)
{
    if constexpr (std::is_same_v<P, char *>) {
        if (shape[i] == 'o') {
            c.name.fill('x');
            return c.name.data();
        }
        const bool bounded = i > 0 && shape[i - 1] == 'z';
        c.texts[i] = shape[i] == 'n' ? "PONTO_00  " : bounded ? "text and more" : "text";
        return c.texts[i].data();
    } else if constexpr (std::is_same_v<P, int32_t>) {
        return shape[i] == 'z' ? kTextLength : GivenNumber(i);
    } else if constexpr (std::is_same_v<P, int32_t *>) {
        c.numbers[i] = -1;
        return &c.numbers[i];
    } else {
        c.bytes[i] = 0xee;
        return &c.bytes[i];
    }
}

// What the terminal should hand the engine, a line a parameter given.
std::vector<std::string> ExpectedGiven(std::string_view shape)
{
    std::vector<std::string> given;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'n')
            given.push_back("PONTO_00");
        else if (shape[i] == 't')
            given.push_back("text");
        else if (shape[i] == 'z')
            given.push_back(std::to_string(kTextLength));
        else if (shape[i] == 'i')
            given.push_back(std::to_string(GivenNumber(i)));
    }
    return given;
}

// The stand-in engine: notes what it is given, writes i-dependent results.
struct Engine
{
    std::string_view shape;
    int32_t result;
    std::vector<std::string> given;
    bool called = false;

    void take(std::size_t i, char *value)
    {
        if (shape[i] == 'o')
            std::memcpy(value, kWrittenName, sizeof kWrittenName);
        else
            given.emplace_back(value);
    }
    void take(std::size_t, int32_t value) { given.push_back(std::to_string(value)); }
    void take(std::size_t i, int32_t *place) { *place = 4000 + int32_t(i); }
    void take(std::size_t i, uint8_t *place) { *place = uint8_t(200 + i); }

    template <typename... P>
    int32_t operator()(P... params)
    {
        called = true;
        std::size_t i = 0;
        (take(i++, params), ...);
        return result;
    }
};

struct Trip
{
    std::size_t requestBytes = 0;
    std::size_t answerBytes = 0;
    QString fault; // empty when all came through
};

template <typename Abi>
struct RoundTrip;
template <typename... P>
struct RoundTrip<int32_t(KESTCOM_CALL *)(P...)>
{
    static Trip run(Op op, int32_t result)
    {
        const std::string_view shape = ShapeOf(op);
        Trip trip;
        Caller caller;
        const auto args = [&]<std::size_t... I>(std::index_sequence<I...>) {
            return std::tuple<P...>(Given<P>(caller, shape, I)...);
        }(std::index_sequence_for<P...>{});
        auto request = std::apply([op](auto... a) { return EncodeRequest(op, a...); }, args);
        if (!request)
            return {0, 0, QStringLiteral("the request was not encoded")};
        const std::string frame = request->frame();
        trip.requestBytes = frame.size();

        // Cut short or with a byte left over, the engine never hears of it.
        Engine engine{shape, result, {}};
        for (const std::string &wrong : {frame.substr(2, frame.size() - 3), frame.substr(2) + "z"}) {
            Reader cut(wrong);
            cut.u8(), cut.u8();
            if ((wrong.size() > 2 && ServeRequest<int32_t(KESTCOM_CALL *)(P...)>(op, 7, cut, engine))
                || engine.called)
                return {0, 0, QStringLiteral("a malformed request reached the engine")};
        }

        Reader body(std::string_view(frame).substr(2));
        body.u8(), body.u8();
        const auto served = ServeRequest<int32_t(KESTCOM_CALL *)(P...)>(op, 7, body, engine);
        if (!served || served->result != result)
            return {0, 0, QStringLiteral("the terminal refused the request")};
        if (engine.given != ExpectedGiven(shape))
            return {0, 0, QStringLiteral("the engine was given other values")};
        trip.answerBytes = served->answer.size();
        const std::string results = served->answer.substr(kAnswerOverhead);
        // The library reads results only from an answer that is not 0.
        const bool decoded = result == 0 || std::apply(
            [op, &results](auto... a) { return DecodeResults(op, results, nullptr, a...); }, args);
        if (!decoded)
            return {0, 0, QStringLiteral("the answer was not decoded")};
        for (std::size_t k = 0; k < shape.size(); ++k) {
            const bool written = result != 0;
            if ((shape[k] == 'p' && caller.numbers[k] != (written ? 4000 + int32_t(k) : -1))
                || (shape[k] == 'b' && caller.bytes[k] != (written ? uint8_t(200 + k) : 0xee))
                || (shape[k] == 'o' && written && std::string(caller.name.data()) != kWrittenName)
                || (shape[k] == 'o' && !written && caller.name[0] != 'x'))
                return {0, 0, QStringLiteral("result %1 did not come back as written").arg(k)};
        }
        return trip;
    }
};

Trip RoundTripOf(Op op, int32_t result)
{
    switch (op) {
#define CODEC_TRIP(name, shape)                                                                    \
    case Op::name:                                                                                 \
        return RoundTrip<kestcom_abi::name>::run(op, result);
        KESTCOM_OPERATIONS(CODEC_TRIP)
#undef CODEC_TRIP
    default:
        return {0, 0, QStringLiteral("not an operation")};
    }
}

} // namespace

class TestOperationCodec : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("requestBytes");
        QTest::addColumn<int>("answerBytes"); // when the result is not 0
        const int text = 4;
        const int name = 9;
        const int perOperation[][2] = {
            {5 + text, 8},          {12, 8},         {12, 8},         {8, 8},
            {4 + name, 8},          {8, 8},          {12, 8},         {9 + text, 8},
            {8 + name, 8},          {4 + name, 8},   {8 + name, 8},   {40 + name, 8},
            {32 + name, 8},         {13 + name + text, 8},            {9 + name + text, 8},
            {5 + name + text, 8},   {28 + name, 8},  {8 + name, 8},   {4 + name, 20},
            {8 + name, 8},          {16 + name, 8},  {17 + name + text, 8},
            {8 + name, 8},          {4 + name, 8},   {4, 41},
        };
        static_assert(std::size(perOperation) == KESTCOM_OPERATION_COUNT);
        const char *const names[] = {
#define CODEC_NAME(name, shape) #name,
            KESTCOM_OPERATIONS(CODEC_NAME)
#undef CODEC_NAME
        };
        for (int op = 1; op <= KESTCOM_OPERATION_COUNT; ++op) {
            const auto &[request, answer] = perOperation[op - 1];
            QTest::newRow(names[op - 1]) << op << request << answer;
        }
    }

    void roundTrip()
    {
        QFETCH(int, op);
        QFETCH(int, requestBytes);
        QFETCH(int, answerBytes);
        const Trip done = RoundTripOf(Op(op), 1);
        QVERIFY2(done.fault.isEmpty(), qPrintable(done.fault));
        QCOMPARE(int(done.requestBytes), requestBytes);
        QCOMPARE(int(done.answerBytes), answerBytes);
        QCOMPARE(LongestAnswer(Op(op)), std::size_t(answerBytes));
        // A failed call answers its result alone and leaves the places as they were.
        const Trip failed = RoundTripOf(Op(op), 0);
        QVERIFY2(failed.fault.isEmpty(), qPrintable(failed.fault));
        QCOMPARE(int(failed.answerBytes), int(kAnswerOverhead));
    }

    void argumentsThatCannotBeSentFailBeforeAnything_data()
    {
        QTest::addColumn<QByteArray>("what");
        QTest::newRow("no text") << QByteArray("text");
        QTest::newRow("text too long for a frame") << QByteArray("long");
        QTest::newRow("negative length") << QByteArray("length");
        QTest::newRow("no place for a result") << QByteArray("place");
    }

    void argumentsThatCannotBeSentFailBeforeAnything()
    {
        QFETCH(QByteArray, what);
        char name[] = "PONTO_00";
        std::string longText(kMaxBody - 64, 'j');
        int32_t first = 0, second = 0;
        std::optional<Writer> request;
        if (what == "text")
            request = EncodeRequest(Op::W_SendJustifications, name, static_cast<char *>(nullptr));
        else if (what == "long")
            request = EncodeRequest(Op::W_SendJustifications, name, longText.data());
        else if (what == "length")
            request = EncodeRequest(Op::IO_Write, int32_t(1), int32_t(-1), name);
        else
            request = EncodeRequest(Op::W_ReadPointers, name, &first, &second,
                                    static_cast<int32_t *>(nullptr));
        QVERIFY(!request);
        // One byte shorter fits.
        longText.pop_back();
        QVERIFY(EncodeRequest(Op::W_SendJustifications, name, longText.data()));
    }
};

QTEST_APPLESS_MAIN(TestOperationCodec)
#include "tst_operationcodec.moc"
