#include "download/Transfer.h"

#include "download/FlacCheck.h"
#include "download/PartialFile.h"
#include "net/HttpStream.h"
#include "platform/Files.h"
#include "runtime/Numbers.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvo::download {

namespace {

using Clock = std::chrono::steady_clock;

// Without a limit, received bytes are written in pieces of about this size.
constexpr std::size_t coalescedWriteBytes = 256 * 1024;

// libcurl's receive buffer. The loop below still works in 10240-byte reads
// (quota, reports and the abort test happen between them); a larger socket
// read only saves system calls: with 10240-byte receives an unlimited
// transfer reached 0.7-0.85 of the rate of `curl -o`, with 256 KB 0.95-1.2. With a limit the buffer
// holds about one window's quota, so that the socket is read at least once a
// window and a server never sees a stalled client.
long receiveBufferBytes(int64_t limitBytes)
{
    constexpr int64_t largest = 256 * 1024;
    if (limitBytes <= 0)
        return largest;
    const auto reads
        = (limitBytes + static_cast<int64_t>(transferReadBytes) - 1) / static_cast<int64_t>(transferReadBytes);
    return static_cast<long>(std::min(largest, reads * static_cast<int64_t>(transferReadBytes)));
}

// One request and its reply. With a rate limit libcurl's deliveries are cut
// into reads of at most 10240 bytes, and the quota, the window reports and the
// abort test run between reads, as in a plain read loop; without one each
// delivery is written whole.
class TransferAttempt {
public:
    enum class Outcome { Completed, Aborted, Failed, RestartFromZero, Corrupt };

    TransferAttempt(const Text& finalPath, const TransferIdentity& identity, const ProgressCallback& progress,
                    int64_t limitBytes, AbortFlag& abortFlag, const TransferSettings& settings)
        : m_finalPath(finalPath)
        , m_partialPath(partialPathOf(finalPath))
        , m_identity(identity)
        , m_progress(progress)
        , m_limit(limitBytes)
        , m_abortFlag(abortFlag)
        , m_settings(settings)
    { }

    Outcome run(const Text& url, int64_t offset, const std::optional<PartialIdentity>& stored)
    {
        m_offset = offset;
        m_resumed = offset > 0;
        m_stored = stored;
        net::RequestPlan plan = net::planStream(url, transferHeaderBlock(0) + "\r\n");
        plan.rangeFrom = offset;
        // The plan's own agent; the header block's User-Agent line replaces
        // it on the wire, as it does for the URL-level calls it stands for.
        plan.userAgent = transferAgentText();
        net::StreamSettings settings;
        settings.connectTimeout = m_settings.connect;
        settings.receiveBufferBytes = receiveBufferBytes(m_limit);
        net::StreamHandlers handlers;
        handlers.reply = [this](const net::StreamReply& reply) { return beginBody(reply); };
        handlers.body = [this](std::string_view bytes) { return deliver(bytes); };
        handlers.abort = [this] { return m_abortFlag.isRaised(); };
        handlers.idle = [this] { return keepsMoving(Clock::now()); };
        m_stallMark = {Clock::now(), 0};

        const net::StreamEnd end = net::streamRequest(plan, settings, handlers).end;
        // What arrived before the end (an abort, a broken connection) stays for a resume.
        if (!m_writeFailed && !writePending())
            m_writeFailed = true;
        const bool closed = m_file.close();

        if (m_rangeNotSatisfiable)
            return settleUnsatisfiableRange();
        if (m_restart)
            return Outcome::RestartFromZero;
        if (m_rejected || m_writeFailed || m_stalled || !closed)
            return Outcome::Failed;
        if (end == net::StreamEnd::Completed && m_bodyBegun && m_done == m_total) {
            report(m_total, m_total);
            return finish();
        }
        if (m_abortFlag.isRaised())
            return Outcome::Aborted;
        return Outcome::Failed;
    }

    [[nodiscard]] const TransferReply& reply() const { return m_reply; }

private:
    // The whole song is in the partial file: check it, then give it its name.
    Outcome finish()
    {
        // Never a name for a file of another size than promised.
        if (platform::fileSize(m_partialPath) != m_total
            || (m_identity.expectedSize > 0 && m_total != m_identity.expectedSize))
            return m_resumed ? Outcome::RestartFromZero : Outcome::Failed;
        const bool flac = m_settings.checkFlacAudio && isFlacPath(m_finalPath);
        if (flac && (m_check ? m_check->finish(m_total) : checkFlac(m_partialPath)) == FlacCheck::Mismatched)
            return m_resumed ? Outcome::RestartFromZero : Outcome::Corrupt;
        return platform::replaceFile(m_partialPath, m_finalPath) ? Outcome::Completed : Outcome::Failed;
    }

    // What we know of the song's size: the link's, else the one stored with
    // the partial file; 0 when neither says.
    [[nodiscard]] int64_t knownSize() const
    {
        if (m_identity.expectedSize > 0)
            return m_identity.expectedSize;
        return m_stored ? m_stored->size : 0;
    }

    // A ranged reply that may be appended: a Content-Range starting at the
    // offset asked for, a total that agrees with what we know, a length that
    // reaches exactly to that total, and the same file as before.
    [[nodiscard]] bool isAppendable(const net::StreamReply& reply) const
    {
        if (!m_contentRange || m_contentRange->first != m_offset || m_contentRange->completeLength < 0)
            return false;
        const int64_t total = m_contentRange->completeLength;
        if (reply.contentLength != total - m_offset || (knownSize() > 0 && total != knownSize()))
            return false;
        if (m_stored) {
            const std::optional<Text> tag = reply.headers.get("ETag");
            const std::optional<Text> modified = reply.headers.get("Last-Modified");
            if (!m_stored->entityTag.empty() && tag && *tag != m_stored->entityTag)
                return false;
            if (!m_stored->lastModified.empty() && modified && *modified != m_stored->lastModified)
                return false;
        }
        return true;
    }

    // The first body bytes (or the end of a reply without body): decide
    // whether this reply may go into the partial file at all.
    bool beginBody(const net::StreamReply& reply)
    {
        m_bodyBegun = true;
        const long status = reply.status;
        m_reply.status = status;
        if (status == 429 || status == 503)
            m_reply.retryAfter = net::retryAfterOf(reply.headers);
        const int64_t contentLength = reply.contentLength;
        m_contentRange = reply.contentRange;

        if (status == 416) {
            m_rangeNotSatisfiable = true;
            return reject();
        }
        // An error page is not the song.
        if (status < 200 || status > 299)
            return reject();
        // Without a length there is no telling whether the body is complete.
        if (contentLength < 0)
            return reject();

        bool restart = false;
        if (status == 206) {
            // Only an answer to our own range, exactly as asked, is a part of the song.
            if (m_offset == 0 || !isAppendable(reply))
                return restartFromZero();
        } else if (m_offset > 0) {
            // The server ignored the range and sends the whole file.
            restart = true;
            m_resumed = false;
        }
        if (restart)
            m_offset = 0;
        m_total = m_offset + contentLength;
        if (m_identity.expectedSize > 0 && m_total != m_identity.expectedSize)
            return m_offset > 0 ? restartFromZero() : reject();
        if (!m_file.open(m_partialPath, restart)) {
            m_writeFailed = true;
            return false;
        }
        PartialIdentity identity;
        identity.songId = m_identity.songId;
        identity.size = m_total;
        identity.entityTag = reply.headers.get("ETag").value_or(Text());
        identity.lastModified = reply.headers.get("Last-Modified").value_or(Text());
        // Refused on a file system without extended attributes: sizes and checksums still guard it.
        static_cast<void>(m_file.setIdentity(identity));
        m_done = m_offset;
        if (m_limit <= 0)
            m_pending.reserve(coalescedWriteBytes + 64 * 1024);
        if (m_settings.checkFlacAudio && isFlacPath(m_finalPath))
            m_check = std::make_unique<FlacCheckAsWritten>(m_partialPath, m_offset);
        return true;
    }

    bool reject()
    {
        m_rejected = true;
        return false;
    }

    bool restartFromZero()
    {
        m_restart = true;
        return false;
    }

    // The stall rule: fewer than stallBytes in a whole stall time gives up.
    bool keepsMoving(Clock::time_point now)
    {
        if (now - m_stallMark.at < m_settings.stall)
            return true;
        if (m_done - m_stallMark.done < stallBytes) {
            m_stalled = true;
            return false;
        }
        m_stallMark = {now, m_done};
        return true;
    }

    bool deliver(std::string_view bytes)
    {
        if (m_rejected || m_writeFailed)
            return false;
        if (m_limit <= 0)
            return deliverWhole(bytes);
        return deliverRead(bytes);
    }

    // No limit: libcurl delivers 16 KB at a time; gathered into writes of
    // coalescedWriteBytes the disk sees a sixteenth of the system calls. The
    // bytes still gathered are not in the file yet: `m_done` and the FLAC
    // check only count what was written, and each window writes them out.
    bool deliverWhole(std::string_view bytes)
    {
        m_pending.append(bytes);
        const Clock::time_point now = Clock::now();
        const bool windowOver = windowEnded(now);
        if ((m_pending.size() >= coalescedWriteBytes || windowOver) && !writePending()) {
            m_writeFailed = true;
            return false;
        }
        if (windowOver)
            reportWindow(now);
        return !m_abortFlag.isRaised() && keepsMoving(now);
    }

    bool writePending()
    {
        if (m_pending.empty())
            return true;
        if (!m_file.write(m_pending))
            return false;
        m_done += static_cast<int64_t>(m_pending.size());
        m_pending.clear();
        if (m_check)
            m_check->grew(m_done);
        return true;
    }

    // Writes one delivery, read by read: before each read the quota of the
    // current window is checked, after each read the window and the abort flag.
    bool deliverRead(std::string_view bytes)
    {
        while (!bytes.empty()) {
            if (m_readFill == 0 && m_windowBytes >= m_limit) {
                // Quota used up: no read until the window ends. Sleep rather
                // than poll the clock; a raised abort flag wakes us.
                if (!sleepUntilWindowEnds())
                    return false;
                reportWindow(Clock::now());
                if (m_abortFlag.isRaised())
                    return false;
            }
            const std::size_t piece = std::min(bytes.size(), transferReadBytes - m_readFill);
            if (!m_file.write(bytes.substr(0, piece))) {
                m_writeFailed = true;
                return false;
            }
            bytes.remove_prefix(piece);
            m_done += static_cast<int64_t>(piece);
            if (m_check)
                m_check->grew(m_done);
            m_windowBytes += static_cast<int64_t>(piece);
            m_readFill = (m_readFill + piece) % transferReadBytes;

            const Clock::time_point now = Clock::now();
            if (windowEnded(now))
                reportWindow(now);
            if (m_abortFlag.isRaised() || !keepsMoving(now))
                return false;
        }
        return true;
    }

    [[nodiscard]] bool windowEnded(Clock::time_point now) const
    {
        // No report yet: the first pass reports at once.
        return !m_lastReport || now - *m_lastReport > progressWindow;
    }

    // False when the abort flag was raised while waiting.
    bool sleepUntilWindowEnds()
    {
        while (!windowEnded(Clock::now())) {
            const Clock::time_point windowEnd = *m_lastReport + progressWindow + std::chrono::microseconds(1);
            if (m_abortFlag.sleepUntil(windowEnd))
                return false;
        }
        return true;
    }

    void reportWindow(Clock::time_point now)
    {
        m_lastReport = now;
        report(m_done, m_total);
        m_windowBytes = 0;
    }

    void report(int64_t done, int64_t total) const
    {
        if (m_progress)
            m_progress(done, total);
    }

    // 416: the range starts at or beyond the end of the file. When the server
    // says the file is exactly as long as the partial file (and as long as we
    // know the song to be), the partial file is the whole song; otherwise it
    // cannot be resumed and starts over.
    Outcome settleUnsatisfiableRange()
    {
        const int64_t length = m_contentRange ? m_contentRange->completeLength : -1;
        if (m_offset > 0 && length == m_offset && (knownSize() == 0 || knownSize() == m_offset)) {
            m_total = m_offset;
            report(m_offset, m_offset);
            return finish();
        }
        return m_offset > 0 ? Outcome::RestartFromZero : Outcome::Failed;
    }

    struct StallMark {
        Clock::time_point at;
        int64_t done = 0;
    };

    const Text& m_finalPath;
    const Text m_partialPath;
    const TransferIdentity& m_identity;
    const ProgressCallback& m_progress;
    const int64_t m_limit;
    AbortFlag& m_abortFlag;
    const TransferSettings& m_settings;

    PartialFile m_file;
    // Received without a limit and not written yet.
    std::string m_pending;
    // Decodes a FLAC while it is written; stopped with the attempt.
    std::unique_ptr<FlacCheckAsWritten> m_check;
    TransferReply m_reply;
    std::optional<PartialIdentity> m_stored;
    std::optional<net::ContentRange> m_contentRange;
    StallMark m_stallMark;
    int64_t m_offset = 0;
    int64_t m_done = 0;
    int64_t m_total = 0;
    int64_t m_windowBytes = 0;
    std::size_t m_readFill = 0;
    std::optional<Clock::time_point> m_lastReport;
    bool m_resumed = false;
    bool m_bodyBegun = false;
    bool m_rejected = false;
    bool m_restart = false;
    bool m_rangeNotSatisfiable = false;
    bool m_writeFailed = false;
    bool m_stalled = false;
};

// The offset to resume from, and what the partial file says it belongs to. A
// partial file of another song (or of another size of this one) is thrown
// away first.
int64_t resumeOffset(const Text& partialPath, const TransferIdentity& identity, std::optional<PartialIdentity>& stored)
{
    const int64_t size = platform::fileSize(partialPath);
    if (size <= 0)
        return 0;
    const StoredIdentity found = PartialFile::identityOf(partialPath);
    stored = found.identity;
    if (!stored)
        return size;
    const bool otherSong = !identity.songId.empty() && stored->songId != identity.songId;
    const bool otherSize = identity.expectedSize > 0 && stored->size > 0 && stored->size != identity.expectedSize;
    if (otherSong || otherSize || (stored->size > 0 && size > stored->size)) {
        stored.reset();
        return platform::deleteFile(partialPath) ? 0 : -1;
    }
    return size;
}

}  // namespace

Text transferHeaderBlock(int64_t resumeOffset)
{
    Text block("Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
               "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)");
    if (resumeOffset > 0)
        block += "\r\n" + net::openRangeLine(resumeOffset);
    return block;
}

Text transferAgentText()
{
    const auto milliseconds
        = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    return "Agent" + numbers::fromInteger(static_cast<uint32_t>(milliseconds));
}

Text partialPathOf(const Text& finalPath)
{
    return finalPath + ".tmp";
}

TransferResult transferFile(const Text& url, const Text& finalPath, const ProgressCallback& progress, int64_t limitKBps,
                            AbortFlag& abortFlag, const TransferSettings& settings, const TransferIdentity& identity,
                            TransferReply* reply)
{
    // A negative limit is no limit, like 0: it cannot mean "read nothing".
    const int64_t limitBytes = limitKBps > 0 ? limitKBps * bytesPerKB : 0;
    const Text partialPath = partialPathOf(finalPath);

    TransferResult result = TransferResult::Failed;
    // A second attempt, from byte 0, only when the first showed that the
    // partial file or the reply cannot be trusted.
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::optional<PartialIdentity> stored;
        const int64_t offset = resumeOffset(partialPath, identity, stored);
        if (offset < 0)
            break;
        TransferAttempt transfer(finalPath, identity, progress, limitBytes, abortFlag, settings);
        const TransferAttempt::Outcome outcome = transfer.run(url, offset, stored);
        if (reply)
            *reply = transfer.reply();
        if (outcome == TransferAttempt::Outcome::RestartFromZero && !abortFlag.isRaised()) {
            if (attempt == 0 && platform::deleteFile(partialPath))
                continue;
            result = TransferResult::Failed;
            break;
        }
        result = outcome == TransferAttempt::Outcome::Completed ? TransferResult::Completed
            : outcome == TransferAttempt::Outcome::Aborted      ? TransferResult::Aborted
            : outcome == TransferAttempt::Outcome::Corrupt      ? TransferResult::Corrupt
                                                                : TransferResult::Failed;
        break;
    }
    // The acknowledgement the stopper waits for; the partial file is closed by now.
    if (abortFlag.isRaised()) {
        abortFlag.clear();
        if (result == TransferResult::Failed)
            result = TransferResult::Aborted;
    }
    return result;
}

}  // namespace quorvo::download
