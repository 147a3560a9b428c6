// A message from the signal mailbox as the POP3 server hands it over: the
// headers, encoded words, transfer encodings and Japanese codes decoded, the
// subject checked as a file name and the body read as a signal document.
#include "app/MailMessage.h"
#include "app/SignalFiles.h"
#include "base/AkUnit.h"
#include "documents/XmlFile.h"
#include "reporting/jconvert.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const ReceivedMail mail = ParseReceivedMail(raw);
    IsSafeFileName(Trim(mail.subject));
    JapaneseBytesToUtf8(mail.body);
    pugi::xml_document signal;
    ParseXmlBytes(ConvertJapaneseCode(mail.body, kCodeShiftJis), signal);
    return 0;
}
