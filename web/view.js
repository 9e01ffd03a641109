// The window as a page: every control of the module's design, placed at its box times one factor
// (the design's pixel is one CSS pixel at factor 1), with its text, font, colour, limit and tab
// place.

const fields = { txtPos: "position", txtNID: "nid", txtFreq: "freq", txtSym: "symb",
                 txtPol: "pol", txtAutoSym: "auto_rate" };

function element(control) {
  switch (control.kind) {
    case "frame": {
      const frame = document.createElement("div");
      const caption = document.createElement("span");
      caption.className = "caption";
      caption.textContent = control.text;
      frame.append(caption);
      return frame;
    }
    case "text_box": {
      const box = document.createElement("input");
      box.type = "text";
      if (control.max_length > 0) box.maxLength = control.max_length;
      box.value = control.text;
      return box;
    }
    case "check_box":
    case "option": {
      const label = document.createElement("label");
      const input = document.createElement("input");
      input.type = control.kind === "option" ? "radio" : "checkbox";
      if (control.kind === "option") input.name = control.name;
      label.append(input, control.text);
      return label;
    }
    case "drop_down": {
      const list = document.createElement("select");
      for (const item of control.items) list.add(new Option(item));
      return list;
    }
    case "button": {
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = control.text;
      return button;
    }
    case "progress_bar": {
      const bar = document.createElement("progress");
      bar.max = control.maximum;
      return bar;
    }
    case "list_box":
      return document.createElement("ul");
    default: { // label, lamp
      const label = document.createElement("div");
      label.textContent = control.text;
      return label;
    }
  }
}

export function buildWindow(root, design) {
  const nodes = design.controls.map((control) => {
    const node = element(control);
    node.id = control.object_name;
    node.className = `control ${control.kind} align-${control.alignment}`;
    node.dataset.points = control.points;
    if (control.bold) node.classList.add("bold");
    if (control.colour) node.style.color = control.colour;
    if (!control.visible) node.hidden = true;
    if (!control.enabled) focusable(node).disabled = true;
    return node;
  });
  design.controls.forEach((control, i) =>
    (control.container < 0 ? root : nodes[control.container]).append(nodes[i]));
  design.tab_chain.forEach((position, place) => { focusable(nodes[position]).tabIndex = place + 1; });
  return nodes;
}

const focusable = (node) => node.querySelector("input") ?? node;

export function layOut(root, design, nodes, factor) {
  const px = (twips) => `${(twips / design.twips_per_pixel) * factor}px`;
  root.style.width = px(design.client.width);
  root.style.height = px(design.client.height);
  design.controls.forEach((control, i) => {
    const style = nodes[i].style;
    style.left = px(control.box.left);
    style.top = px(control.box.top);
    style.width = px(control.box.width);
    style.height = px(control.box.height);
    style.fontSize = `${control.points * design.pixels_per_point * factor}px`;
  });
}

// The model's state on the controls: texts, ticks, options and their emphasis.
export class TableView {
  constructor(design, nodes) {
    this.boxes = [];
    this.ticks = [];
    this.options = [];
    this.groups = [];
    design.controls.forEach((control, i) => {
      const node = nodes[i];
      if (control.name in fields) this.boxes.push({ field: fields[control.name], index: control.index, node });
      else if (control.name === "chTp") this.ticks[control.index] = node;
      else if (control.name === "opSat") this.options[control.index] = node;
      else if (control.name === "Frame2") this.groups[control.index] = node;
    });
  }

  show(table) {
    for (const { field, index, node } of this.boxes)
      if (node.value !== table[field][index]) node.value = table[field][index];
    this.ticks.forEach((node, i) => {
      node.querySelector("input").checked = table.ticked[i];
      node.classList.toggle("bold", table.caption_emphasis[i]);
    });
    this.options.forEach((node, choice) => {
      node.querySelector("input").checked = table.option_set[choice];
      node.classList.toggle("bold", table.option_emphasis[choice]);
      node.classList.toggle("emphasised", table.option_emphasis[choice]);
    });
    this.groups.forEach((node, choice) => node.classList.toggle("bold", table.frame_emphasis[choice]));
  }
}

// Message boxes: modal, one OK, the application's title as caption; one at a time, in order.
export function messageBoxes(caption) {
  const dialog = document.createElement("dialog");
  dialog.id = "message";
  dialog.innerHTML = `<div class="caption"></div><p></p><form method="dialog"><button>OK</button></form>`;
  dialog.querySelector(".caption").textContent = caption;
  document.body.append(dialog);
  let queue = Promise.resolve();
  return (text) => {
    queue = queue.then(() => new Promise((resolve) => {
      dialog.querySelector("p").textContent = text;
      dialog.addEventListener("close", resolve, { once: true });
      dialog.showModal();
    }));
    return queue;
  };
}
