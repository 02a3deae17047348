#include "terminal/program/LineService.h"

#include "terminal/line/OperationCodec.h"

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"
#include "terminal/engine/SimTerminalTest.h"

#include <algorithm>

namespace terminal::program {

using line::Op;
using line::Reader;
using line::Status;

namespace {

bool OpensPort(Op op)
{
    return op == Op::InitializeCommWithoutError || op == Op::IO_Open;
}

// The terminal's W_Kill is the engine's command itself: the in-process
// library exports it apart (a library lacking it is built without). Found
// before ::W_Kill by the calls below.
int32_t W_Kill(char *name)
{
    return engine::KillCommand(name);
}

} // namespace

std::chrono::microseconds AnswerDelay(Pace pace, bool lineOperation, std::size_t requestBytes,
                                      std::size_t answerBytes, int32_t baud)
{
    if (pace == Pace::Instant || !lineOperation || baud <= 0)
        return std::chrono::microseconds{0};
    return line::ExchangeTime(requestBytes, answerBytes, baud);
}

Reply LineService::handle(int connection, std::string_view body, std::size_t frameBytes)
{
    Reader args(body);
    const uint8_t sequence = args.u8();
    const uint8_t op = args.u8();
    Reply reply;
    if (!args.good()) {
        reply.bytes = line::FailureAnswer(sequence, Status::Malformed);
        return reply;
    }
    if (!line::IsKnownOperation(op)) {
        reply.bytes = line::FailureAnswer(sequence, Status::UnknownOperation);
        return reply;
    }
    if (connection == m_holder && m_holderAnswered && m_answersSettled)
        m_answersSettled(line::AnswerArrived(*m_holderAnswered, sequence));
    const int holderBefore = m_holder;
    const int32_t baudBefore = engine::EngineState().port.baud;
    reply.bytes = dispatch(connection, sequence, op, args);
    if (connection == m_holder)
        m_holderAnswered = sequence;
    else if (connection == holderBefore)
        m_holderAnswered.reset(); // it gave the port back
    const int32_t baudAfter = engine::EngineState().port.baud;
    reply.delay = AnswerDelay(m_pace, line::IsLineOperation(op), frameBytes, reply.bytes.size(),
                              baudAfter > 0 ? baudAfter : baudBefore);
    return reply;
}

void LineService::disconnected(int connection)
{
    if (m_holder != connection)
        return;
    if (m_holderAnswered && m_answersSettled)
        m_answersSettled(false);
    m_holderAnswered.reset();
    m_holder = -1;
    // The program's serial port is closed with it.
    engine::EngineState().port = engine::Port{};
}

std::string LineService::serveOperation(int connection, uint8_t sequence, Op op, Reader &args)
{
    std::optional<line::Served> served;
    switch (op) {
#define TERMINAL_SERVE(name, shape)                                                                \
    case Op::name:                                                                                 \
        served = line::ServeRequest<kestcom_abi::name>(op, sequence, args, name);                  \
        break;
        KESTCOM_OPERATIONS(TERMINAL_SERVE)
#undef TERMINAL_SERVE
    default:
        return line::FailureAnswer(sequence, Status::UnknownOperation);
    }
    if (!served)
        return line::FailureAnswer(sequence, Status::Malformed);
    if (served->result != 0 && OpensPort(op))
        m_holder = connection;
    if (served->result != 0 && op == Op::TerminateComm && m_holder == connection)
        m_holder = -1;
    return std::move(served->answer);
}

std::string LineService::dispatch(int connection, uint8_t sequence, uint8_t op, Reader &args)
{
    if (line::IsLineOperation(op) && m_holder != -1 && m_holder != connection)
        return line::FailureAnswer(sequence, Status::Busy);
    if (line::IsLineOperation(op))
        return serveOperation(connection, sequence, static_cast<Op>(op), args);

    // Arguments are all read and checked before the engine hears of the call.
    std::optional<line::Served> served;
    switch (static_cast<Op>(op)) {
#define TERMINAL_SERVE_TEST(name, shape)                                                           \
    case Op::name:                                                                                 \
        served = line::ServeRequest<decltype(&::name)>(Op::name, sequence, args, ::name);          \
        break;
        LINE_ENGINE_TEST_CALLS(TERMINAL_SERVE_TEST)
#undef TERMINAL_SERVE_TEST
    case Op::Sim_SetPace:
        served = line::ServeRequest<decltype(&::Sim_SetPace)>(Op::Sim_SetPace, sequence, args,
                                                              [this](int32_t instant) {
            m_pace = instant ? Pace::Instant : Pace::Wire;
            if (m_paceChanged)
                m_paceChanged(m_pace);
            return int32_t(1);
        });
        break;
    case Op::Sim_TerminalProcess:
        served = line::ServeRequest<decltype(&::Sim_TerminalProcess)>(
            Op::Sim_TerminalProcess, sequence, args, [this] { return int32_t(m_processId); });
        break;
    default:
        return line::FailureAnswer(sequence, Status::UnknownOperation);
    }
    return served ? std::move(served->answer) : line::FailureAnswer(sequence, Status::Malformed);
}

} // namespace terminal::program
