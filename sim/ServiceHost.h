#pragma once
// The service's web host at the root of the simulator's address:
//   GET  /demo_signal.xml, /real/<id>/<password>/ref.xml, /signals/<name>,
//        /account_template.xml, /files/<path>, /, /inout.html
//   GET/POST /contact2.php, /send/mail/contact.php (posts are recorded)
// and its control routes under /_control/service/:
//   POST demo_signal (body: the XML)      PUT signals/<name> (body: the XML)
//   POST subscribers {"id","password","signal"}
//   POST version {"version"} ("" drops the version record)
//   PUT  files/<path> (body: the bytes)   DELETE files/<path>
//   PUT  template_base (body: brokers and portfolios)
//   PUT  account_template (body served as is)   DELETE account_template
//   POST faults {"path","status"} (answered with the page "ページを表示できません")
//        or {"path","redirectLoop":true}; DELETE faults/<path>
//   POST load {"folder"}                  GET posts
// The data folder may also be named by PELLAGO_SIM_SERVICE_DATA at start.

#include <httplib.h>

namespace sim {

class ServiceData;

void RegisterServiceHost(httplib::Server& server);
// The host's data, for tests that link the simulator core.
ServiceData& ServiceHostData();

} // namespace sim
