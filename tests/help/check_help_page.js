// Opens the help page in headless Chromium and fails on a console error, an uncaught script
// error, a request for anything but the page itself, an internal link without its target, an
// image that did not load, or a diagram that is missing or not drawn. Saves a full-page
// screenshot either way.
// Usage: node check_help_page.js <page.htm> <screenshot.png>
"use strict";

const path = require("path");
const { pathToFileURL } = require("url");
const { chromium } = require("playwright-core");

// The diagrams a reader needs at the bench: they must be there and have a size.
const diagrams = ["dialog-map", "timing-write", "timing-read", "wiring-diagram"];

async function main(pagePath, screenshotPath) {
  const pageUrl = pathToFileURL(path.resolve(pagePath)).href;
  const problems = [];
  const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    // Playwright gives every launch a new, empty profile directory.
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
    ],
  });
  try {
    const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
    page.on("console", (message) => {
      if (message.type() === "error") problems.push(`console error: ${message.text()}`);
    });
    page.on("pageerror", (error) => problems.push(`script error: ${error.message}`));
    page.on("request", (request) => {
      if (request.url() !== pageUrl && !request.url().startsWith("data:"))
        problems.push(`page loads ${request.url()}: it must be self-contained`);
    });
    page.on("requestfailed", (request) => problems.push(`failed to load ${request.url()}`));

    const response = await page.goto(pageUrl, { waitUntil: "load" });
    if (response === null || !response.ok()) problems.push(`cannot open ${pageUrl}`);

    const found = await page.evaluate((diagramIds) => {
      const issues = [];
      for (const link of document.querySelectorAll('[href^="#"]')) {
        const target = decodeURIComponent(link.getAttribute("href").slice(1));
        if (document.getElementById(target) === null)
          issues.push(`link to #${target} has no target`);
      }
      for (const image of document.images)
        if (!image.complete || image.naturalWidth === 0)
          issues.push(`image ${image.getAttribute("src")} did not load`);
      for (const id of diagramIds) {
        const diagram = document.getElementById(id);
        const box = diagram === null ? null : diagram.getBoundingClientRect();
        if (box === null || box.width < 100 || box.height < 100)
          issues.push(`diagram #${id} is missing or not drawn`);
      }
      const ids = new Set();
      for (const element of document.querySelectorAll("[id]")) {
        if (ids.has(element.id)) issues.push(`id ${element.id} is used twice`);
        ids.add(element.id);
      }
      return issues;
    }, diagrams);
    problems.push(...found);

    await page.screenshot({ path: screenshotPath, fullPage: true });
  } finally {
    await browser.close();
  }
  return problems;
}

main(process.argv[2], process.argv[3]).then(
  (problems) => {
    for (const problem of problems) console.error(problem);
    console.log(`screenshot: ${process.argv[3]}`);
    process.exitCode = problems.length === 0 ? 0 : 1;
  },
  (error) => {
    console.error(error);
    process.exitCode = 1;
  },
);
