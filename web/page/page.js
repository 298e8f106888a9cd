"use strict";
// The name goes to /picture; a refused name comes back as {"error": reason},
// shown next to the field. The page's address keeps the name (?name=...), so
// a link to it shows the same picture.
const form = document.getElementById("form");
const field = document.getElementById("name");
const reason = document.getElementById("reason");
const picture = document.getElementById("picture");
const downloads = document.getElementById("downloads");

function pictureUrl(name, format) {
  return "/picture?name=" + encodeURIComponent(name) + "&format=" + format;
}

async function show(name) {
  reason.hidden = true;
  let answer;
  try {
    answer = await fetch(pictureUrl(name, "png"));
  } catch (e) {
    reason.textContent = "strežnik ni dosegljiv";
    reason.hidden = false;
    return;
  }
  if (!answer.ok) {
    let why = answer.statusText;
    try { why = (await answer.json()).error; } catch (e) { /* not JSON: the status says it */ }
    reason.textContent = why;
    reason.hidden = false;
    picture.hidden = downloads.hidden = true;  // the picture of another name would mislead
    return;
  }
  const blob = await answer.blob();
  if (picture.src.startsWith("blob:")) URL.revokeObjectURL(picture.src);
  picture.src = URL.createObjectURL(blob);
  picture.alt = name;
  picture.hidden = false;
  for (const format of ["png", "bmp", "pdf"]) {
    const link = document.getElementById(format);
    link.href = pictureUrl(name, format);
    link.download = (name.trim() ? name.replace(/ /g, "-") : "prazno") + "." + format;
  }
  downloads.hidden = false;
  history.replaceState(null, "", "/?name=" + encodeURIComponent(name));
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
