"use strict";
// The name goes to /picture; a refused name comes back as {"error", "code"},
// and the code is said here in Slovenian next to the field. The page's address
// keeps the name (?name=...), so a link to it shows the same picture.
const form = document.getElementById("form");
const field = document.getElementById("name");
const reason = document.getElementById("reason");
const painting = document.getElementById("painting");
const paintingText = document.getElementById("painting-text");
const picture = document.getElementById("picture");
const downloads = document.getElementById("downloads");
const RETRIES = 5;  // after "busy" (503), at the pause the service asks for
let asking = 0;     // the newest request; an older answer is dropped

function pictureUrl(name, format) {
  return "/picture?name=" + encodeURIComponent(name) + "&format=" + format;
}

// What a refusal means, in the page's words.
function refusal(answer, body) {
  switch (body && body.code) {
    case "name-character":
      return "znak »" + body.character + "« na " + body.position +
             ". mestu ni dovoljen: samo presledki in male črke a–z, brez čšž";
    case "name-too-long": return "ime je daljše od 100 znakov";
    case "name-not-utf8": return "ime ni pravilno zapisano (UTF-8)";
    case "name-missing": return "vnesi ime";
    case "busy": return "vsi slikarji so zasedeni; poskusi znova čez nekaj sekund";
  }
  return "strežnik je zavrnil zahtevo (" + answer.status + (body && body.code ? ", " + body.code : "") + ")";
}

function refuse(text, nameIsWrong) {
  reason.textContent = text;
  reason.hidden = false;
  field.setAttribute("aria-invalid", nameIsWrong ? "true" : "false");
  picture.hidden = downloads.hidden = true;  // the picture of another name would mislead
}

const pause = (seconds) => new Promise((done) => setTimeout(done, seconds * 1000));

async function show(name) {
  const mine = ++asking;
  reason.hidden = true;
  field.removeAttribute("aria-invalid");
  paintingText.textContent = name.trim() ? "rišem voščilnico za »" + name + "« …" : "rišem voščilnico …";
  painting.hidden = false;
  try {
    for (let attempt = 0; ; ++attempt) {
      let answer;
      try {
        answer = await fetch(pictureUrl(name, "png"));
      } catch (e) {
        if (mine === asking) refuse("strežnik ni dosegljiv", false);
        return;
      }
      if (mine !== asking) return;
      if (answer.status === 503 && attempt < RETRIES) {
        const wait = Math.min(10, Math.max(1, parseInt(answer.headers.get("Retry-After"), 10) || 1));
        paintingText.textContent = "vsi slikarji so zasedeni; poskusim znova čez " + wait + " s …";
        await pause(wait);
        if (mine !== asking) return;
        continue;
      }
      if (!answer.ok) {
        let body = null;
        try { body = await answer.json(); } catch (e) { /* not JSON: the status says it */ }
        refuse(refusal(answer, body), answer.status === 400 && body && String(body.code).startsWith("name-"));
        return;
      }
      const blob = await answer.blob();
      if (mine !== asking) return;
      if (picture.src.startsWith("blob:")) URL.revokeObjectURL(picture.src);
      picture.src = URL.createObjectURL(blob);
      picture.alt = name.trim() ? "voščilnica za ime »" + name + "«" : "voščilnica brez imena";
      picture.hidden = false;
      field.setAttribute("aria-invalid", "false");
      for (const format of ["png", "bmp", "pdf"]) {
        const link = document.getElementById(format);
        link.href = pictureUrl(name, format);
        link.download = (name.trim() ? name.trim().replace(/ /g, "-") : "prazno") + "." + format;
      }
      downloads.hidden = false;
      history.replaceState(null, "", "/?name=" + encodeURIComponent(name));
      return;
    }
  } finally {
    if (mine === asking) painting.hidden = true;
  }
}

form.addEventListener("submit", (event) => {
  event.preventDefault();
  show(field.value);
});

const asked = new URLSearchParams(location.search).get("name");
if (asked !== null) {
  field.value = asked;
  show(asked);
}
