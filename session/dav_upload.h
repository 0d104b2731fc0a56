#pragma once
// Contacts and events straight into a CardDAV address book or a CalDAV
// calendar: one resource per card or event, each sent with HTTP PUT and
// If-None-Match: *, so a resource already on the server is left as it is and
// a second upload changes nothing. Certificates are always checked.
#include <functional>
#include <string>
#include <vector>

namespace phondeck {

struct DavAccount {
  std::string user;      // empty: no authentication
  std::string password;  // kept in memory only
};

struct DavItem {
  std::string name;  // the resource's file name ("<UID>.vcf", "<UID>.ics")
  std::string body;
};

struct DavOutcome {
  int created = 0;                  // 201/204 (any 2xx) on PUT
  int present = 0;                  // 412: already there, left alone
  std::vector<std::string> failed;  // "name: why" (HTTP status and reason, or the transfer's error)
  bool reached = false;             // the collection answered and took requests
  std::string error;                // why not, or why the upload stopped: connection, certificate,
                                    // 401, 403, 404, no address book; after reaching it the item
                                    // it stopped at is among the failed
};

// Checks the collection (PROPFIND: there, of the kind the content type
// names), then PUTs each item into it (a URL ending in '/' or not). A 401,
// 403 or 404, a redirect, or a connection that cannot be made stops the
// upload with one error. Authentication: Basic or Digest, whichever the
// server asks for; Basic (the password in the clear) only over https or to
// this machine, Digest only otherwise.
DavOutcome put_items(const std::string& collection_url, const DavAccount& account, const std::vector<DavItem>& items,
                     const std::string& content_type, const std::function<void(int done, int total)>& progress = {});

// One item per vCard of the file, each card's bytes as they are, named
// "<UID>.vcf" (a card without a usable UID: "card-<hash of its bytes>.vcf";
// one without any UID gets the line "UID:card-<hash>" after its BEGIN).
std::vector<DavItem> vcard_items(const std::string& vcf);

// One VCALENDAR per event (VEVENT or VTODO; those sharing a UID, as a
// recurrence's exceptions, together), with the calendar's VERSION, PRODID and
// CALSCALE and the VTIMEZONEs the event names, named "<UID>.ics" (without a
// usable UID: "event-<hash>.ics", and one without any gets "UID:event-<hash>"
// after its BEGIN). Components keep their bytes.
std::vector<DavItem> icalendar_items(const std::string& ics);

}  // namespace phondeck
