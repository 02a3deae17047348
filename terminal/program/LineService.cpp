#include "terminal/program/LineService.h"

#include "terminal/line/OperationCodec.h"

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"
#include "terminal/engine/SimTerminalTest.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace velmora::terminal {

using line::Op;
using line::Reader;
using line::Status;
using line::Writer;

namespace {

Writer ok(uint8_t sequence, int32_t result)
{
    Writer w(sequence, static_cast<uint8_t>(Status::Ok));
    w.i32(result);
    return w;
}

bool opensPort(Op op)
{
    return op == Op::InitializeCommWithoutError || op == Op::IO_Open;
}

// The terminal's W_Kill is the engine's command itself: the in-process
// library exports it apart (a library lacking it is built without). Found
// before ::W_Kill by the calls below.
int32_t W_Kill(char *name)
{
    return sim::killCommand(name);
}

} // namespace

std::chrono::microseconds answerDelay(Pace pace, bool lineOperation, std::size_t requestBytes,
                                      std::size_t answerBytes, int32_t baud)
{
    if (pace == Pace::Instant || !lineOperation || baud <= 0)
        return std::chrono::microseconds{0};
    return line::exchangeTime(requestBytes, answerBytes, baud);
}

Reply LineService::handle(int connection, std::string_view body, std::size_t frameBytes)
{
    Reader args(body);
    const uint8_t sequence = args.u8();
    const uint8_t op = args.u8();
    Reply reply;
    if (!args.good()) {
        reply.bytes = line::failureAnswer(sequence, Status::Malformed);
        return reply;
    }
    if (!line::isKnownOperation(op)) {
        reply.bytes = line::failureAnswer(sequence, Status::UnknownOperation);
        return reply;
    }
    const int32_t baudBefore = sim::state().port.baud;
    reply.bytes = dispatch(connection, sequence, op, args);
    const int32_t baudAfter = sim::state().port.baud;
    reply.delay = answerDelay(m_pace, line::isLineOperation(op), frameBytes, reply.bytes.size(),
                              baudAfter > 0 ? baudAfter : baudBefore);
    return reply;
}

void LineService::disconnected(int connection)
{
    if (m_holder != connection)
        return;
    m_holder = -1;
    // The program's serial port is closed with it.
    sim::state().port = sim::Port{};
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
        return line::failureAnswer(sequence, Status::UnknownOperation);
    }
    if (!served)
        return line::failureAnswer(sequence, Status::Malformed);
    if (served->result != 0 && opensPort(op))
        m_holder = connection;
    if (served->result != 0 && op == Op::TerminateComm && m_holder == connection)
        m_holder = -1;
    return std::move(served->answer);
}

std::string LineService::dispatch(int connection, uint8_t sequence, uint8_t op, Reader &args)
{
    const auto malformed = [&] { return line::failureAnswer(sequence, Status::Malformed); };
    if (line::isLineOperation(op) && m_holder != -1 && m_holder != connection)
        return line::failureAnswer(sequence, Status::Busy);

    // Arguments are all read and checked before the engine hears of the call.
    std::string name;
    const auto readName = [&] { name = std::string(args.text()); };
    std::vector<int32_t> n;
    const auto ints = [&](int count) {
        for (int i = 0; i < count; ++i)
            n.push_back(args.i32());
    };
    std::string text;

    if (line::isLineOperation(op))
        return serveOperation(connection, sequence, static_cast<Op>(op), args);

    switch (static_cast<Op>(op)) {
    // --- test interface ---
    case Op::Sim_SetPace:
        ints(1);
        if (!args.complete())
            return malformed();
        m_pace = n[0] ? Pace::Instant : Pace::Wire;
        if (m_paceChanged)
            m_paceChanged(m_pace);
        return ok(sequence, 1).frame();
    case Op::Sim_TerminalProcess:
        if (!args.complete())
            return malformed();
        return ok(sequence, int32_t(m_processId)).frame();
    case Op::Sim_Reset:
    case Op::Sim_UseRealPcClock:
        if (!args.complete())
            return malformed();
        if (op == uint8_t(Op::Sim_Reset)) {
            Sim_Reset();
        } else {
            Sim_UseRealPcClock();
        }
        return ok(sequence, 1).frame();
    case Op::Sim_SetZeroTerminatedNames:
        ints(1);
        if (!args.complete())
            return malformed();
        Sim_SetZeroTerminatedNames(n[0]);
        return ok(sequence, 1).frame();
    case Op::Sim_LoadMorning:
        readName();
        if (!args.complete())
            return malformed();
        Sim_LoadMorning(name.c_str());
        return ok(sequence, 1).frame();
    case Op::Sim_SetPcClock:
    case Op::Sim_AdvancePcClock: {
        const int64_t value = args.i64();
        if (!args.complete())
            return malformed();
        if (op == uint8_t(Op::Sim_SetPcClock))
            Sim_SetPcClock(value);
        else
            Sim_AdvancePcClock(value);
        return ok(sequence, 1).frame();
    }
    case Op::Sim_PcClock: {
        if (!args.complete())
            return malformed();
        Writer w = ok(sequence, 1);
        w.i64(Sim_PcClock());
        return w.frame();
    }
    case Op::Sim_AddTerminal:
    case Op::Sim_RemoveTerminal:
    case Op::Sim_EntryCount:
    case Op::Sim_ReadClock:
    case Op::Sim_JustificationCount: {
        readName();
        if (!args.complete())
            return malformed();
        const char *nm = name.c_str();
        int32_t r = 0;
        switch (static_cast<Op>(op)) {
        case Op::Sim_AddTerminal: r = Sim_AddTerminal(nm); break;
        case Op::Sim_RemoveTerminal: r = Sim_RemoveTerminal(nm); break;
        case Op::Sim_EntryCount: r = Sim_EntryCount(nm); break;
        case Op::Sim_ReadClock: r = Sim_ReadClock(nm); break;
        default: r = Sim_JustificationCount(nm); break;
        }
        return ok(sequence, r).frame();
    }
    case Op::Sim_SetTerminalAnswering:
    case Op::Sim_PassCard: {
        readName();
        ints(1);
        if (!args.complete())
            return malformed();
        const int32_t r = op == uint8_t(Op::Sim_PassCard) ? Sim_PassCard(name.c_str(), n[0])
                                                          : Sim_SetTerminalAnswering(name.c_str(), n[0]);
        return ok(sequence, r).frame();
    }
    case Op::Sim_SetEntryCapacity:
        ints(1);
        if (!args.complete())
            return malformed();
        return ok(sequence, Sim_SetEntryCapacity(n[0])).frame();
    case Op::Sim_GetEntry: {
        readName();
        ints(1);
        if (!args.complete())
            return malformed();
        SimEntry e{};
        const int32_t r = Sim_GetEntry(name.c_str(), n[0], &e);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(e.seconds).i32(e.cardCode).u8(e.aux1).u8(e.justification).u8(e.presence)
                .i32(e.orValue).i32(e.code);
        return w.frame();
    }
    case Op::Sim_GetPointers: {
        readName();
        if (!args.complete())
            return malformed();
        int32_t a = 0, b = 0, c = 0;
        const int32_t r = Sim_GetPointers(name.c_str(), &a, &b, &c);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(a).i32(b).i32(c);
        return w.frame();
    }
    case Op::Sim_GetAdjustment: {
        readName();
        if (!args.complete())
            return malformed();
        int32_t reference = 0;
        int64_t drift = 0;
        const int32_t r = Sim_GetAdjustment(name.c_str(), &reference, &drift);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(reference).i64(drift);
        return w.frame();
    }
    case Op::Sim_PortState: {
        if (!args.complete())
            return malformed();
        int32_t a = 0, b = 0, c = 0, d = 0;
        const int32_t r = Sim_PortState(&a, &b, &c, &d);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(a).i32(b).i32(c).i32(d);
        return w.frame();
    }
    case Op::Sim_IoWriteCount:
        if (!args.complete())
            return malformed();
        return ok(sequence, Sim_IoWriteCount()).frame();
    case Op::Sim_FailOperation:
    case Op::Sim_CallCount: {
        text = args.text();
        if (op == uint8_t(Op::Sim_FailOperation))
            ints(1);
        if (!args.complete())
            return malformed();
        if (op == uint8_t(Op::Sim_CallCount))
            return ok(sequence, Sim_CallCount(text.c_str())).frame();
        Sim_FailOperation(text.c_str(), n[0]);
        return ok(sequence, 1).frame();
    }
    case Op::Sim_GetConfiguration:
    case Op::Sim_GetEvent: {
        readName();
        const bool event = op == uint8_t(Op::Sim_GetEvent);
        if (event)
            ints(1);
        if (!args.complete())
            return malformed();
        int32_t out[9] = {};
        const int32_t r = event ? Sim_GetEvent(name.c_str(), n[0], out)
                                : Sim_GetConfiguration(name.c_str(), out);
        Writer w = ok(sequence, r);
        if (r)
            for (int i = 0; i < (event ? 6 : 9); ++i)
                w.i32(out[i]);
        return w.frame();
    }
    case Op::Sim_IoWriteText:
    case Op::Sim_GetJustification:
    case Op::Sim_GetMessage:
    case Op::Sim_GetShownMessage:
    case Op::Sim_GetEmployeeName:
    case Op::Sim_GetPcName: {
        const bool hasName = op != uint8_t(Op::Sim_IoWriteText) && op != uint8_t(Op::Sim_GetPcName);
        if (hasName)
            readName();
        const int keys = op == uint8_t(Op::Sim_GetMessage) ? 2
                         : (op == uint8_t(Op::Sim_GetShownMessage) || op == uint8_t(Op::Sim_GetPcName)) ? 0
                                                                                                          : 1;
        ints(keys + 1);
        if (!args.complete())
            return malformed();
        const int32_t size = std::clamp(n.back(), 0, line::kTextReadLimit);
        std::string buffer(std::size_t(size) + 1, '\0');
        char *buf = buffer.data();
        const char *nm = name.c_str();
        int32_t number = 0, card = 0, last = 0;
        int32_t r = 0;
        switch (static_cast<Op>(op)) {
        case Op::Sim_IoWriteText: r = Sim_IoWriteText(n[0], buf, size); break;
        case Op::Sim_GetJustification: r = Sim_GetJustification(nm, n[0], buf, size); break;
        case Op::Sim_GetMessage: r = Sim_GetMessage(nm, n[0], n[1], buf, size); break;
        case Op::Sim_GetShownMessage: r = Sim_GetShownMessage(nm, &number, buf, size); break;
        case Op::Sim_GetEmployeeName: r = Sim_GetEmployeeName(nm, n[0], buf, size, &card, &last); break;
        default: r = Sim_GetPcName(buf, size); break;
        }
        Writer w = ok(sequence, r);
        if (r) {
            if (op == uint8_t(Op::Sim_GetShownMessage))
                w.i32(number);
            w.text(std::string_view(buf, strnlen(buf, std::size_t(size))));
            if (op == uint8_t(Op::Sim_GetEmployeeName))
                w.i32(card).i32(last);
        }
        return w.frame();
    }
    case Op::Sim_GetConfirmationsTimeout: {
        if (!args.complete())
            return malformed();
        int32_t a = 0, b = 0;
        const int32_t r = Sim_GetConfirmationsTimeout(&a, &b);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(a).i32(b);
        return w.frame();
    }
    default:
        break;
    }
    return line::failureAnswer(sequence, Status::UnknownOperation);
}

} // namespace velmora::terminal
